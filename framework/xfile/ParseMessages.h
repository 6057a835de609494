// Why a model file was refused, on standard error.
#pragma once

#include <string>
#include <string_view>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// Writes one line "<path>: <reason>" to standard error, as UTF-8.
void ReportParseFailure(std::wstring_view path, std::wstring_view reason);
void ReportParseFailure(std::wstring_view path, const char* reason);

XFILE_SHAPE_END
