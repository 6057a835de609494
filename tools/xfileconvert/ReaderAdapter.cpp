#include "ReaderAdapter.h"

#include "xfile/DocumentParser.h"

namespace xfileconvert {

std::unique_ptr<LoadedModel> LoadModelRecords(const std::wstring& path) {
  auto model = std::make_unique<LoadedModel>();
  ParseResult parse = ParseXFile(path, model->scene, ParseOptions{.echo = false});
  ReportParse(path, parse);
  if (!parse) return nullptr;
  model->format = parse.format;
  model->codePage = parse.codePage;
  return model;
}

std::wstring FindTexture(const std::wstring& modelFile, const LoadedModel& model, const std::wstring& name,
                         TextureSearch& search, std::wstring& reason) {
  return FindModelTexture(modelFile, name, model.codePage, search, reason);
}

}  // namespace xfileconvert
