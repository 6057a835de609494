// Writing a built glTF asset out: as one .glb file (JSON chunk, then the
// buffer with the images embedded), or as a .gltf JSON file with its buffer
// in a .bin file and its images in files of their own beside it.
#pragma once

#include <string>

#include "ConvertOptions.h"
#include "GltfDocument.h"

namespace xfileconvert {

// The JSON of `document`; its buffer has the URI `bufferUri` (empty: the
// GLB's own binary chunk).
std::string GltfJson(const GltfDocument& document, const std::string& bufferUri);

// Writes `document` as `path` in `kind` (Glb or Gltf), every file whole or
// not at all; a .gltf's JSON is written last, after the files it names, and
// when a file fails the ones already written go again. False with `reason`.
// Embedding images for a .glb appends them to the document's buffer.
bool WriteGltfFiles(GltfDocument& document, const std::string& path, OutputKind kind, std::string& reason);

}  // namespace xfileconvert
