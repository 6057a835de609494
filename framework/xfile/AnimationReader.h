// Animation sets: AnimationSet, Animation and AnimationKey records with their
// rotation, scale, position and matrix keys. Only the character shape reads
// animation.
#pragma once

#include <cstdint>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)
// The largest key time seen in the set being read.
extern std::int32_t g_MaxKeyTime;

// Each reads from the token after its keyword to its record's closing "}".
bool ReadAnimationSet(XAnimationSet& set);
bool ReadAnimation(XAnimation& animation);
bool ReadAnimationKey(XAnimation& animation);
#endif

XFILE_SHAPE_END
