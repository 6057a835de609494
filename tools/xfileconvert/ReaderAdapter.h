// The converter's door to the X-file reader: parsing a model file and finding
// its textures as the viewers do.
#pragma once

#include <memory>
#include <string>

#include "xfile/TextureSearch.h"
#include "xfile/XFileRecords.h"

namespace xfileconvert {

// One parsed model file, with what the parse knew of it. Frames and meshes
// point into `scene`, so it stays where it was made.
struct LoadedModel {
  XFileScene scene;
  std::wstring format;    // as the header writes it: "txt", "bin", "tzip" or "bzip"
  unsigned codePage = 0;  // the code page the file's text was decoded with
};

// Parses `path` as the viewers do. Null when the reader refuses the file; it
// has then said why on standard error, as it says the warnings of a file it
// reads. May be called from several threads.
std::unique_ptr<LoadedModel> LoadModelRecords(const std::wstring& path);

// Where the viewers find the texture that a material of the model names
// (`name` as the reader gives it); empty when nowhere, with `reason`.
std::wstring FindTexture(const std::wstring& modelFile, const LoadedModel& model, const std::wstring& name,
                         TextureSearch& search, std::wstring& reason);

}  // namespace xfileconvert
