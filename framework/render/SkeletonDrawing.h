// The character's bones as lines: from each frame's origin to its parent's,
// in the current pose, drawn over the model.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <vector>

#include "render/DebugGeometry.h"
#include "xfile/XFileShape.h"
#if !defined(XVIEW_REDUCED_MODEL)
#include "model/Model.h"
#endif

XFILE_SHAPE_BEGIN

// Yellow: it stands out against the grid, the axes and the black background.
inline constexpr D3DCOLOR kSkeletonColor = 0xFFFFFF00;

#if !defined(XVIEW_REDUCED_MODEL)
// One line (two vertices, model space) per frame that has a parent, from the
// parent's origin to the frame's, as frameMatrices holds them.
std::vector<ColorVertex> SkeletonLines(const Model& model);

// Draws SkeletonLines with the model's world matrix over what is drawn
// already; false when there is nothing to draw or no geometry effect.
bool DrawSkeleton(const Model& model);
#endif

XFILE_SHAPE_END
