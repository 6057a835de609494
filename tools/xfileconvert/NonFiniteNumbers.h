// The one place that decides what becomes of a number that is not finite (NaN
// or infinite) in a parsed model before it is converted: glTF holds none, and
// JSON can write none but as null, which glTF's schema refuses. Each is
// replaced, and said once for its record:
// - a vertex coordinate (position or texture coordinate) is 0;
// - a frame matrix with one is the identity: the frame stands where its
//   parent does;
// - a bone's offset with one is the inverse of its frame's matrix in the
//   file's pose (where that is finite), so that the bone leaves its vertices
//   where the file places them; else the identity;
// - an animation key with one is left out: its neighbours blend across it.
// Normals, weights and colours are the exporters' own business: they already
// drop or clamp what is not finite.
#pragma once

#include <string>

#include "xfile/XFileRecords.h"

namespace xfileconvert {

// Replaces, in place, what `scene` holds that is not finite; `input` names
// the file in what is said.
void ReplaceNonFiniteNumbers(XFileScene& scene, const std::string& input);

}  // namespace xfileconvert
