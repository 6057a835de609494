// A stream that reads a file the way the Windows C runtime's text mode does:
// the carriage return of every CR LF pair is dropped. Reading only; Ctrl+Z
// (0x1A) is an ordinary byte here, not the end of the file. ftell counts the
// bytes delivered, so once a CR has been dropped it is behind the file offset
// that fseek takes.
#pragma once

#include <cstdio>

namespace compat {

// Takes ownership of the open descriptor; returns null (and closes it) when
// the stream cannot be made.
FILE* OpenTextModeReader(int descriptor);

}  // namespace compat
