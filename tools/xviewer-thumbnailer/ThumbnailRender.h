// One picture of a model for the file manager, drawn by the framework as the
// viewers draw it, without the floor grid and the axes.
#pragma once

#include <string>

// Draws the model file `model` as the viewers draw it (a character in the
// first pose of its first animation set, a static model with every mesh
// placed by its frames, materials opaque), framed whole as the viewers' F key
// frames it from their start view, into a square back buffer of `size`
// pixels whose background stays transparent, and writes it as PNG to
// `output`. The effects are the first of their names found by FindAsset.
// False, said on standard error in one line, when the file cannot be read,
// holds nothing to draw, or the picture cannot be made or written; `output`
// may then hold part of the picture.
bool RenderThumbnail(const std::wstring& model, const std::wstring& output, int size);
