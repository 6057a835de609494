// Every AnimationSet as one glTF animation, in file order, named as the set,
// at time = tick / ticks per second (60 where the file gives none or a
// non-positive number, as the viewers' real-time playback has it).
//
// Each frame a set animates gets a translation, a rotation and a scale
// channel (of the last animation naming it, which the viewers let write
// last) holding the viewers' own sampling of the frame at every key time of
// the set: the local matrix the viewers' Model gives there (a rotation
// key's w negated, matrix keys as they are), taken apart as the viewers'
// matrix blending takes a matrix apart. What the viewers do that glTF must
// be told:
// - before a channel's first key they show its last key: a channel whose
//   keys start after tick 0 is held at 0 and just before its first key;
// - keys past the set's last key time never show (a time of -1 in a file
//   sorts as 4294967295): they are left out;
// - a set that animates nothing still becomes an animation, of one channel
//   holding the first frame's own translation, so that set numbers agree.
// Between rotation keys the viewers blend the quaternions component by
// component without making them unit length again, which glTF's spherical
// blending does not follow; keys are added, taken from the viewers' pose,
// where the two would place any part of the model more than half a percent
// of its size apart. A set where even added keys cannot follow (a blend
// that shrinks the model off the rotation's axis, or goes the long way
// round) is said, with how far apart they stay.
#pragma once

#include <vector>

#include "ExportContext.h"
#include "model/ModelBounds.h"

namespace xfileconvert {

// The box of what each frame carries, in the frame's own space: the vertices
// of its rigid meshes, and of skinned meshes the vertices each bone on it
// moves, as the bone's offset takes them there (the box of their box). How
// far apart two poses place the model is measured at their corners.
struct CarriedBoxes {
  std::vector<WorldBounds> byFrame;
  WorldBounds unplaced;  // what no frame carries
};

// Reads only the scene and the frame lookups of `context`, so it may run
// while the meshes are exported. Empty for a model without animation sets.
CarriedBoxes MeasureCarriedBoxes(const ExportContext& context);

void ExportAnimations(ExportContext& context, const CarriedBoxes& carried);

}  // namespace xfileconvert
