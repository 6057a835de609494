// Animation sets: AnimationSet, Animation and AnimationKey records with their
// rotation, scale, position and matrix keys. Only the character shape reads
// animation.
#pragma once

#include <cstdint>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)
// Each reads from the token after its keyword to its record's closing "}".
// The set's lastKeyTime is the largest key time read in it (0 when none is
// larger): its animations and their keys raise `maxKeyTime`.
bool ReadAnimationSet(XAnimationSet& set);
bool ReadAnimation(XAnimation& animation, std::int32_t& maxKeyTime);
bool ReadAnimationKey(XAnimation& animation, std::int32_t& maxKeyTime);
#endif

XFILE_SHAPE_END
