#include "Inspectors.h"
#include "MeshJson.h"
#include "model/Model.h"
#include "xfile/DocumentParser.h"

namespace xfileinfo {

int InspectPose(const std::wstring& path, std::uint32_t set, std::uint32_t tick) {
  XFileScene scene;
  const ParseResult parse = ParseXFile(path, scene, ParseOptions{.echo = false});
  ReportParse(path, parse);
  if (!parse) return 1;
  // No device: the meshes get no device objects, but the pose is the same.
  Model model;
  model.Setup(nullptr, &scene);
  model.animationSet = set;
  model.animationTick = tick;
  model.UpdatePose();
  for (std::size_t i = 0; i < model.meshes.size(); ++i) model.UpdatePalette(i);

  JsonWriter json;
  json.BeginObject();
  json.Key("frameMatrices");
  json.BeginArray();
  for (const D3DXMATRIX& matrix : model.frameMatrices) WriteMatrix(json, matrix);
  json.EndArray();
  json.Key("palettes");
  json.BeginArray();
  for (const Mesh& mesh : model.meshes) {
    json.BeginArray();
    for (const D3DXMATRIX& matrix : mesh.palette) WriteMatrix(json, matrix);
    json.EndArray();
  }
  json.EndArray();
  json.EndObject();
  return Print(json);
}

}  // namespace xfileinfo
