#include "ReaderAdapter.h"

#include <mutex>

#include "xfile/DocumentParser.h"
#include "xfile/TokenReader.h"

namespace xfileconvert {

namespace {

// The reader keeps one parse's state in process-wide variables (the open
// file, the token, the warnings, the code page), so two parses at once would
// read each other's. Parses take turns behind this lock; everything after the
// parse (building and writing the output) runs on every core. The lock goes
// when the reader keeps its state per parse.
std::mutex g_ReaderTurn;

}  // namespace

std::unique_ptr<LoadedModel> LoadModelRecords(const std::wstring& path) {
  auto model = std::make_unique<LoadedModel>();
  std::lock_guard<std::mutex> turn(g_ReaderTurn);
  SetModelEcho(false);
  if (!ParseXFile(path, model->scene, &model->warnings)) return nullptr;
  model->format = LastModelFormat();
  model->codePage = g_ModelCodePage;
  return model;
}

std::wstring FindTexture(const std::wstring& modelFile, const LoadedModel& model, const std::wstring& name,
                         TextureSearch& search, std::wstring& reason) {
  return FindModelTexture(modelFile, name, model.codePage, search, reason);
}

}  // namespace xfileconvert
