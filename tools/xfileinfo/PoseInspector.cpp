#include "Inspectors.h"
#include "MeshJson.h"
#include "model/Model.h"
#include "xfile/DocumentParser.h"
#include "xfile/TokenReader.h"

namespace xfileinfo {

int InspectPose(const std::wstring& path, std::uint32_t set, std::uint32_t tick) {
  XFileScene scene;
  SetModelEcho(false);
  if (!ParseXFile(path, scene)) return 1;
  // No device: the meshes get no device objects, but the pose is the same.
  Model model;
  model.Setup(nullptr, &scene);
  model.animationSet = set;
  model.animationTick = tick;
  model.UpdatePose();
  for (Mesh& mesh : model.meshes)
    if (!mesh.record->bones.empty()) mesh.UpdatePalette(model.frameMatrices);

  JsonWriter json;
  json.BeginObject();
  json.Key("frameMatrices");
  json.BeginObject();
  for (const auto& [name, matrix] : model.frameMatrices) {
    json.Key(std::wstring_view(name));
    WriteMatrix(json, matrix);
  }
  json.EndObject();
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
