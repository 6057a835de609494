#include "Inspectors.h"
#include "MeshJson.h"
#include "xfile/DocumentParser.h"
#include "xfile/TokenReader.h"

namespace xfileinfo {

int InspectReduced(const std::wstring& path, bool full) {
  std::vector<XMesh> meshes;
  SetModelEcho(false);
  std::vector<ParseWarning> warnings;
  if (!ParseXFile(path, meshes, &warnings)) return 1;
  JsonWriter json;
  json.BeginObject();
  WriteMeshes(json, meshes, full);
  WriteWarnings(json, warnings);
  json.EndObject();
  return Print(json);
}

}  // namespace xfileinfo
