// Runs the effect translator program (xviewer-effectc) on one effect. It is a
// program of its own so that glslang, which crashes on some malformed HLSL,
// costs only that effect: it is started with posix_spawn (never by forking
// this program, which runs SDL's and the GL driver's threads), given the
// effect's text on its standard input and the effect's name, the
// application's defines and the depth mapping on its command line, and its
// answer comes back through a pipe within a time limit. Its standard error
// goes nowhere: whatever becomes of it is said in one line here.
#pragma once

#include <string>
#include <string_view>

#include "d3dx9/EffectRecord.h"

namespace compat::d3dx9 {

enum class Translation {
  Done,     // `answer` is the record the translator wrote, not yet checked
  Refused,  // the effect does not compile: `answer` holds the messages, "file(line): error: ..."
  Failed,   // `answer` is one line naming the effect and what became of the translator
};

// `fileName` names the effect in messages; the translator reads its
// #includes from the folder it names.
Translation RunEffectTranslator(const std::string& fileName, std::string_view text, const Defines& defines,
                                bool mapDepth, std::string& answer);

// The translator that runs: $XVIEW_EFFECT_TRANSLATOR when it is set and not
// empty, else the one installed beside the program.
std::string EffectTranslatorPath();

// A translator still running after this is stopped.
inline constexpr int kTranslatorSeconds = 10;

}  // namespace compat::d3dx9
