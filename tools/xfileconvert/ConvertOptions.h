// The command line of xfileconvert and the outputs it asks for.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace xfileconvert {

enum class OutputKind { Glb, Gltf, X };

struct ConvertOptions {
  std::vector<std::string> inputs;  // as given, UTF-8; a folder stands for its model files
  std::string output;
  bool outputIsFolder = false;  // decided by ParseConvertOptions
  OutputKind kind = OutputKind::Glb;
  // .x output only.
  std::string xFormat = "txt";  // txt, bin, tzip or bzip
  unsigned floatBytes = 4;
  std::size_t blockBytes = 32768;
  bool declareTemplates = true;  // off with --no-templates
  // .x output from glTF only.
  unsigned ticksPerSecond = 0;  // 0: the smallest of 30, 60 and 4800 that holds every key time
  bool matrixKeys = false;      // --keys matrix: one matrix key per key time
  unsigned bakeTicks = 0;       // --bake N: keys every N ticks (0: the file's own key times)
  unsigned jobs = 0;  // 0: one per core
  bool help = false;
};

// Reads the command line. False with `error` (one line) for a mistaken one;
// `--help` alone is no mistake and sets `help`. The output is a folder when
// there are several inputs, when an input is a folder, when it exists as a
// folder, or when it ends in a separator; otherwise its extension gives the
// format.
bool ParseConvertOptions(int argc, const char* const* argv, ConvertOptions& options, std::string& error);

// What --help prints.
const char* ConvertUsage();

struct ConversionJob {
  std::string input;
  std::string output;
};

// One job per input file, folders expanded to their .x files (any case of
// the extension), and for .x output their .glb and .gltf files too, in order; an output into a folder is named after its input
// with the format's extension. An input whose output another input already
// writes is said and left out (`failed` counts it).
std::vector<ConversionJob> PlanJobs(const ConvertOptions& options, std::size_t& failed);

// The extension of outputs of `kind`: ".glb", ".gltf" or ".x".
const char* ExtensionOf(OutputKind kind);

// Whether `path` names a glTF file (".glb" or ".gltf", any case), which
// converts to .x only.
bool IsGltfPath(const std::string& path);

}  // namespace xfileconvert
