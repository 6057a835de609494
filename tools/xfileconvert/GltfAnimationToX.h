// glTF animations as .x animation sets, in file order, each named as its
// animation: one Animation for every node any animation moves, with
// rotation, scale and position keys in ticks (or one matrix key per key
// time). LINEAR keys stay as they are; STEP keys become pairs one tick
// apart; CUBICSPLINE keys, keys off the tick grid, and rotations that a
// viewer's blend of quaternion keys would not follow are sampled again,
// finely enough that the pose stays where glTF puts it. A node an animation
// does not touch keeps its own transform, also after another set moved it.
#pragma once

#include "GltfToXContext.h"

namespace xfileconvert {

// The ticks per second of the file's keys: the options' where given, else
// the smallest of 30, 60 and 4800 at which every key time of the file lands
// on a whole tick within 1e-4 s (4800 where none does).
unsigned ChooseTicksPerSecond(const GltfToXContext& context);

// Writes every animation of the file as an AnimationSet, at `ticksPerSecond`.
void WriteAnimations(GltfToXContext& context, unsigned ticksPerSecond);

}  // namespace xfileconvert
