// What a loaded model holds, in words a person reads at a glance: its
// meshes with their vertices, faces, materials and bones; its frames; its
// animation sets with their keys and length in ticks and seconds; and which
// textures its materials name are found on disk and which are missing. The
// viewers print it for the I key, and xfileinfo --summary for a file.
#pragma once

#include <string>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// The summary of `content`, read from `modelFile`, as UTF-8 lines each
// ending in a line feed. Names from the file are quoted and escaped; a
// texture is looked for as loading looks for it (TextureSearch), from the
// model file's folder.
std::string ModelSummary(const std::wstring& modelFile, const XModelContent& content);

XFILE_SHAPE_END
