// The X-file reader is built in two shapes: the character shape (frames,
// skin, animation) for actorviewer and, with XVIEW_REDUCED_MODEL, the reduced
// shape (a list of meshes) for propviewer. Each shape's code lives in an inline
// namespace of its own, so that a program can link both.
#pragma once

#if defined(XVIEW_REDUCED_MODEL)
#define XFILE_SHAPE_BEGIN inline namespace xfile_reduced_shape {
#else
#define XFILE_SHAPE_BEGIN inline namespace xfile_character_shape {
#endif
#define XFILE_SHAPE_END }
