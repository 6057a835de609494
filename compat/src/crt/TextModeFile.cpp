#include "crt/TextModeFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace compat {

namespace {

struct TextModeReader {
  int descriptor;
  off_t delivered;  // bytes handed to the stream so far
  std::size_t begin, end;  // the unread part of `raw`
  char raw[1 << 16];
};

// Refills `raw` after the `keep` bytes at its front; false at the end of the file or on an error.
bool Refill(TextModeReader& reader, std::size_t keep) {
  for (;;) {
    ssize_t got = ::read(reader.descriptor, reader.raw + keep, sizeof reader.raw - keep);
    if (got < 0 && errno == EINTR) continue;
    reader.begin = 0;
    reader.end = keep + (got > 0 ? got : 0);
    return got > 0;
  }
}

// Copies bytes into `out`, dropping each CR that a LF follows.
ssize_t ReadFiltered(void* cookie, char* out, std::size_t size) {
  auto& reader = *static_cast<TextModeReader*>(cookie);
  std::size_t written = 0;
  while (written < size) {
    if (reader.begin == reader.end) {
      if (written > 0 || !Refill(reader, 0)) break;
    }
    char* in = reader.raw + reader.begin;
    if (*in == '\r') {
      if (reader.begin + 1 == reader.end) {  // what follows the CR is not read yet
        reader.raw[0] = '\r';
        Refill(reader, 1);
      }
      ++reader.begin;
      if (reader.begin < reader.end && reader.raw[reader.begin] == '\n') continue;
      out[written++] = '\r';
      continue;
    }
    std::size_t run = std::min(size - written, reader.end - reader.begin);
    const void* carriageReturn = std::memchr(in, '\r', run);
    if (carriageReturn) run = static_cast<const char*>(carriageReturn) - in;
    std::memcpy(out + written, in, run);
    written += run;
    reader.begin += run;
  }
  reader.delivered += written;
  return static_cast<ssize_t>(written);
}

// Seeking works on byte offsets of the file, as on Windows; it forgets what
// was read ahead.
int SeekFiltered(void* cookie, off64_t* offset, int whence) {
  auto& reader = *static_cast<TextModeReader*>(cookie);
  if (whence == SEEK_CUR && *offset == 0) {
    *offset = reader.delivered;
    return 0;
  }
  if (whence == SEEK_CUR) *offset += reader.delivered;
  off_t result = ::lseek(reader.descriptor, *offset, whence == SEEK_CUR ? SEEK_SET : whence);
  if (result < 0) return -1;
  reader.begin = reader.end = 0;
  reader.delivered = result;
  *offset = result;
  return 0;
}

int CloseFiltered(void* cookie) {
  auto* reader = static_cast<TextModeReader*>(cookie);
  int result = ::close(reader->descriptor);
  delete reader;
  return result;
}

}  // namespace

FILE* OpenTextModeReader(int descriptor) {
  auto* reader = new TextModeReader{descriptor, 0, 0, 0, {}};
  cookie_io_functions_t functions{ReadFiltered, nullptr, SeekFiltered, CloseFiltered};
  FILE* stream = ::fopencookie(reader, "r", functions);
  if (!stream) CloseFiltered(reader);
  return stream;
}

}  // namespace compat
