// A stream that reads a file the way the Windows C runtime's text mode does:
// the carriage return of every CR LF pair is dropped.
#pragma once

#include <cstdio>

namespace compat {

// Takes ownership of the open descriptor; returns null (and closes it) when
// the stream cannot be made.
FILE* OpenTextModeReader(int descriptor);

}  // namespace compat
