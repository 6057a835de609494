#include "ConvertOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "ConvertMessages.h"
#include "OutputFile.h"

namespace xfileconvert {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(Utf8Path(path), error);
}

// A path as the converter holds every name: UTF-8, on Windows too.
std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool KindOfExtension(const std::string& extension, OutputKind& kind) {
  const std::string lower = Lower(extension);
  if (lower == ".glb") {
    kind = OutputKind::Glb;
  } else if (lower == ".gltf") {
    kind = OutputKind::Gltf;
  } else if (lower == ".x") {
    kind = OutputKind::X;
  } else {
    return false;
  }
  return true;
}

bool ParseWhole(const char* text, unsigned long long low, unsigned long long high, unsigned long long& value) {
  if (!*text || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return !*end && errno == 0 && value >= low && value <= high;
}

}  // namespace

bool IsGltfPath(const std::string& path) {
  const std::string extension = Lower(Utf8Of(Utf8Path(path).extension()));
  return extension == ".glb" || extension == ".gltf";
}

const char* ExtensionOf(OutputKind kind) {
  switch (kind) {
    case OutputKind::Glb:
      return ".glb";
    case OutputKind::Gltf:
      return ".gltf";
    case OutputKind::X:
      return ".x";
  }
  return "";
}

const char* ConvertUsage() {
  return "usage: xfileconvert [options] IN... -o OUT\n"
         "Converts DirectX .x model files (text, binary or compressed) to glTF 2.0 or to\n"
         "another .x format, and glTF 2.0 files (.glb, .gltf) to .x. One input and\n"
         "-o FILE, or several inputs and -o FOLDER.\n"
         "\n"
         "  -o OUT           the output: a file whose extension gives the format (.glb: one\n"
         "                   file, textures embedded; .gltf: JSON with a .bin and the\n"
         "                   textures beside it; .x), or a folder, where each output is\n"
         "                   named after its input\n"
         "  --to glb|gltf|x  the format of outputs into a folder (default glb; x with --format)\n"
         "  --format F       .x output: txt, bin, tzip or bzip (default txt)\n"
         "  --float 32|64    .x output: the size of its floats (default 32)\n"
         "  --block BYTES    .x output, tzip or bzip: bytes per compressed block (1 to 32768,\n"
         "                   default 32768)\n"
         "  --no-templates   .x output: declare no standard template (by default the file\n"
         "                   declares those it uses, so that readers without them read it;\n"
         "                   kinds of a file's own are always declared)\n"
         "  --ticks-per-second N\n"
         "                   .x from glTF: key ticks per second (default: the smallest of 30,\n"
         "                   60 and 4800 on which every key time falls)\n"
         "  --keys srt|matrix\n"
         "                   .x from glTF: rotation, scale and position keys (default), or\n"
         "                   one matrix key per key time, for players that take only those\n"
         "  --bake N         .x from glTF: keys every N ticks for every animated frame, for\n"
         "                   players that do not interpolate\n"
         "  --jobs N         files converted at once (default: one per core)\n"
         "  --help           this text\n"
         "\n"
         "A folder given as input stands for the .x files in it (and, for .x output, the\n"
         ".glb and .gltf files). Inputs convert in parallel. A file that cannot be\n"
         "converted is named on standard error with the reason and the others still\n"
         "convert; the exit status is then 1 (2 for a mistaken command line). Each output\n"
         "is written under a temporary name beside it and renamed when it is whole, so\n"
         "none is ever left half written.\n";
}

bool ParseConvertOptions(int argc, const char* const* argv, ConvertOptions& options, std::string& error) {
  bool haveOutput = false, haveTo = false, haveFormat = false;
  OutputKind to = OutputKind::Glb;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      return true;
    } else if (argument == "-o") {
      const char* path = value("-o");
      if (!path) return false;
      if (haveOutput) {
        error = "-o is given twice";
        return false;
      }
      options.output = path;
      haveOutput = true;
    } else if (argument == "--to") {
      const char* kind = value("--to");
      if (!kind) return false;
      if (!KindOfExtension(std::string(".") + kind, to)) {
        error = std::string("--to must be glb, gltf or x, not \"") + kind + "\"";
        return false;
      }
      haveTo = true;
    } else if (argument == "--format") {
      const char* format = value("--format");
      if (!format) return false;
      options.xFormat = format;
      if (options.xFormat != "txt" && options.xFormat != "bin" && options.xFormat != "tzip" &&
          options.xFormat != "bzip") {
        error = "--format must be txt, bin, tzip or bzip, not \"" + options.xFormat + "\"";
        return false;
      }
      haveFormat = true;
    } else if (argument == "--float") {
      const char* size = value("--float");
      if (!size) return false;
      if (std::strcmp(size, "32") != 0 && std::strcmp(size, "64") != 0) {
        error = std::string("--float must be 32 or 64, not \"") + size + "\"";
        return false;
      }
      options.floatBytes = std::strcmp(size, "64") == 0 ? 8 : 4;
      haveFormat = true;
    } else if (argument == "--block") {
      const char* bytes = value("--block");
      unsigned long long parsed = 0;
      if (!bytes) return false;
      if (!ParseWhole(bytes, 1, 32768, parsed)) {
        error = std::string("--block must be a whole number from 1 to 32768, not \"") + bytes + "\"";
        return false;
      }
      options.blockBytes = static_cast<std::size_t>(parsed);
    } else if (argument == "--no-templates") {
      options.declareTemplates = false;
      haveFormat = true;
    } else if (argument == "--ticks-per-second" || argument == "--bake") {
      const char* ticks = value(argument.c_str());
      unsigned long long parsed = 0;
      if (!ticks) return false;
      if (!ParseWhole(ticks, 1, 1000000, parsed)) {
        error = argument + " must be a whole number from 1 to 1000000, not \"" + ticks + "\"";
        return false;
      }
      (argument == "--bake" ? options.bakeTicks : options.ticksPerSecond) = static_cast<unsigned>(parsed);
      haveFormat = true;
    } else if (argument == "--keys") {
      const char* keys = value("--keys");
      if (!keys) return false;
      if (std::strcmp(keys, "srt") != 0 && std::strcmp(keys, "matrix") != 0) {
        error = std::string("--keys must be srt or matrix, not \"") + keys + "\"";
        return false;
      }
      options.matrixKeys = std::strcmp(keys, "matrix") == 0;
      haveFormat = true;
    } else if (argument == "--jobs") {
      const char* jobs = value("--jobs");
      unsigned long long parsed = 0;
      if (!jobs) return false;
      if (!ParseWhole(jobs, 1, 1024, parsed)) {
        error = std::string("--jobs must be a whole number from 1 to 1024, not \"") + jobs + "\"";
        return false;
      }
      options.jobs = static_cast<unsigned>(parsed);
    } else if (argument.size() > 1 && argument[0] == '-') {
      error = "unknown option \"" + argument + "\"";
      return false;
    } else {
      options.inputs.push_back(argument);
    }
  }
  if (options.inputs.empty()) {
    error = "no input file";
    return false;
  }
  if (!haveOutput || options.output.empty()) {
    error = "no output: give -o FILE or -o FOLDER";
    return false;
  }
  const char last = options.output.back();
  options.outputIsFolder = options.inputs.size() > 1 || last == '/' || last == '\\' || IsFolder(options.output) ||
                           std::any_of(options.inputs.begin(), options.inputs.end(), IsFolder);
  if (options.outputIsFolder) {
    options.kind = haveTo ? to : haveFormat ? OutputKind::X : OutputKind::Glb;
  } else if (!KindOfExtension(Utf8Of(Utf8Path(options.output).extension()), options.kind)) {
    error = "the output \"" + options.output + "\" must end in .glb, .gltf or .x (or be a folder)";
    return false;
  } else if (haveTo && to != options.kind) {
    error = std::string("--to says ") + ExtensionOf(to) + " but the output \"" + options.output + "\" is " +
            ExtensionOf(options.kind);
    return false;
  }
  if (haveFormat && options.kind != OutputKind::X) {
    error = "--format, --float, --no-templates, --ticks-per-second, --keys and --bake are for .x output";
    return false;
  }
  if (options.kind != OutputKind::X)
    for (const std::string& input : options.inputs)
      if (IsGltfPath(input)) {
        error = "\"" + input + "\" is glTF, which converts to .x only";
        return false;
      }
  return true;
}

std::vector<ConversionJob> PlanJobs(const ConvertOptions& options, std::size_t& failed) {
  std::vector<std::string> files;
  for (const std::string& input : options.inputs) {
    if (!IsFolder(input)) {
      files.push_back(input);
      continue;
    }
    std::vector<std::string> found;
    std::error_code error;
    for (fs::directory_iterator entry(Utf8Path(input), error), end; !error && entry != end; entry.increment(error)) {
      const std::string file = Utf8Of(entry->path());
      if ((Lower(Utf8Of(entry->path().extension())) == ".x" || (options.kind == OutputKind::X && IsGltfPath(file))) &&
          !IsFolder(file))
        found.push_back(file);
    }
    if (error) {
      Say(ConvertMessage::NotRead, input.c_str(), ("the folder cannot be listed: " + error.message()).c_str());
      ++failed;
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }

  std::vector<ConversionJob> jobs;
  std::map<fs::path, std::string> writers;  // output -> the input that writes it
  for (const std::string& file : files) {
    ConversionJob job{file, options.output};
    if (options.outputIsFolder)
      job.output =
          Utf8Of(Utf8Path(options.output) / Utf8Path(file).filename().replace_extension(ExtensionOf(options.kind)));
    std::error_code error;
    fs::path key = fs::weakly_canonical(Utf8Path(job.output), error);
    if (error) key = fs::absolute(Utf8Path(job.output), error).lexically_normal();
    auto [at, added] = writers.emplace(key, file);
    if (!added) {
      Say(ConvertMessage::SameOutput, file.c_str(), at->second.c_str(), job.output.c_str());
      ++failed;
      continue;
    }
    jobs.push_back(job);
  }
  return jobs;
}

}  // namespace xfileconvert
