// A model file converted to glTF 2.0: the model as the viewers show it.
#pragma once

#include "ConvertOptions.h"
#include "GltfDocument.h"
#include "ReaderAdapter.h"

namespace xfileconvert {

// The glTF asset of a parsed model; `input` names it in messages and is where
// its textures are looked for from.
GltfDocument BuildGltf(LoadedModel& model, const std::string& input);

// Reads `job.input` and writes it as `job.output` in `kind` (Glb or Gltf).
// False, having said why, when nothing was written: the reader refused the
// file, or the output could not be written. A file the reader read with
// warnings is converted as it was read, the warnings said.
bool ConvertToGltf(const ConversionJob& job, OutputKind kind);

}  // namespace xfileconvert
