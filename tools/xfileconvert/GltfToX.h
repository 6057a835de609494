// .x output from glTF 2.0: the model as the glTF shows it, left-handed.
// Every node of the scene is a frame, every mesh a Mesh under its node's
// frame (with its normals, texture coordinates, vertex colours, materials
// and skin), every animation an AnimationSet. What .x cannot hold is said,
// once per file, and the rest converts.
#pragma once

#include "ConvertOptions.h"

namespace xfileconvert {

// Converts the glTF file `job.input` to the .x file `job.output` as
// `options` ask, its base colour images written beside it. False, having
// said why, when nothing was written.
bool ConvertGltfToX(const ConversionJob& job, const ConvertOptions& options);

}  // namespace xfileconvert
