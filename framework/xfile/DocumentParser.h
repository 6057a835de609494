// ParseXFile: reads one model file in the DirectX .x text format into the
// records of its shape, with the frame hierarchy in the character shape.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <string>

#include "xfile/ParseWarnings.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// True when the file was opened and its header accepted, whatever the body
// holds; false, with a message on standard error naming the file and the
// reason, when it cannot be opened or is not an X file in the text format.
// A parse that returns false adds nothing to `content`. What the file held
// that could not be taken as written is said on standard error, one line per
// kind, and handed back in `warnings` when it is given.
bool ParseXFile(const std::wstring& path, XModelContent& content, std::vector<ParseWarning>* warnings = nullptr);

// Reads a FrameTransformMatrix record whose keyword was just read.
bool ReadFrameTransformMatrix(D3DXMATRIX& transform);

XFILE_SHAPE_END
