// What the reader tells about a model file on standard error: why it was
// refused, and what it could not take as written. Every line begins with
// `model file "NAME": `.
#pragma once

#include <string>
#include <string_view>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// Writes one line "model file "<path>": <message>" to standard error, as
// UTF-8: why the file was refused, or one of its warnings.
void ReportModelFileLine(std::wstring_view path, std::wstring_view message);

// Text for a message with its control characters escaped ("\n", "\x1b"), so
// that it stays on its line and cannot drive the terminal.
std::wstring Escaped(std::wstring_view text);

// A word or name from a file as a message shows it: in double quotes, escaped,
// at most 40 characters and then "...".
std::wstring ShownName(std::wstring_view name);

XFILE_SHAPE_END
