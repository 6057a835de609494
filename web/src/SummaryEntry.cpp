// What the page asks of the wasm besides the converter's command line (the
// module's main): the viewers' summary of a model, as `xfileinfo --summary`
// prints it.
#include <emscripten/emscripten.h>

#include "Inspectors.h"
#include "platform/TextConversion.h"

// Prints the summary of the model at `path` (UTF-8) on standard output and
// what went wrong on standard error; returns xfileinfo's exit code.
extern "C" EMSCRIPTEN_KEEPALIVE int xviewer_summary(const char* path) {
  return xfileinfo::SummarizeCharacter(FromUtf8(path));
}
