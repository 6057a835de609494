#include "Inspectors.h"
#include "MeshJson.h"
#include "xfile/DocumentParser.h"

namespace xfileinfo {

int InspectReduced(const std::wstring& path, bool full) {
  std::vector<XMesh> meshes;
  const ParseResult parse = ParseXFile(path, meshes, ParseOptions{.echo = false});
  ReportParse(path, parse);
  if (!parse) return 1;
  JsonWriter json;
  json.BeginObject();
  json.Key("format");
  json.String(parse.format);
  WriteMeshes(json, meshes, full);
  WriteWarnings(json, parse.warnings);
  json.EndObject();
  return Print(json);
}

}  // namespace xfileinfo
