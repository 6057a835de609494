// xviewer-effectc: translates a Direct3D 9 HLSL effect into the record the
// layer draws with (the preprocessed text and the GLSL 3.30 of every pass),
// with glslang and SPIRV-Cross. The layer starts it for every effect that
// no record exists for yet, and the build starts it over the bundled
// effects; glslang crashing on malformed HLSL then ends this program only.
//
//   xviewer-effectc [--map-depth] [-D NAME=VALUE]... [--stdin] FILE.cfx
//     writes the record on standard output (exit status 0), or the reasons
//     the effect does not compile, "file(line): error: ..." (exit status 1).
//     With --stdin the text comes from standard input and FILE.cfx names it
//     (in messages, and as the folder its #includes are read from).
//   xviewer-effectc --bundle FOLDER FILE.cfx...
//     writes the record of each file, under both depth mappings and no
//     defines, into FOLDER as KEY.cfxcache: the records installed with the
//     programs, which the layer finds by key without starting this program.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "EffectTranslation.h"

namespace {

using compat::d3dx9::Defines;
using compat::d3dx9::EffectRecord;

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: xviewer-effectc [--map-depth] [-D NAME=VALUE]... [--stdin] FILE.cfx\n"
    "       xviewer-effectc --bundle FOLDER FILE.cfx...\n";

int Usage(const std::string& problem) {
  std::cerr << "xviewer-effectc: " << problem << "\n" << kUsage;
  return kUsageError;
}

bool ReadAll(std::istream& in, std::string& text) {
  std::ostringstream bytes;
  bytes << in.rdbuf();
  text = bytes.str();
  return !in.bad();
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  return file && ReadAll(file, text);
}

bool WriteAll(std::FILE* out, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

// Translates one effect for the layer.
int Translate(const std::string& fileName, bool fromStdin, const Defines& defines, bool mapDepth) {
  std::string text;
  if (!(fromStdin ? ReadAll(std::cin, text) : ReadFile(fileName, text))) {
    WriteAll(stdout, fileName + ": the effect file cannot be read\n");
    return 1;
  }
  EffectRecord record;
  std::string error;
  if (!effectc::TranslateEffect(text, fileName, defines, mapDepth, record, error)) {
    if (error.empty() || error.back() != '\n') error += '\n';
    WriteAll(stdout, error);
    return 1;
  }
  return WriteAll(stdout, compat::d3dx9::WriteEffectRecord(record)) ? 0 : 1;
}

// The records of the bundled effects, named by key, as the build installs
// them. Any effect that does not translate fails the build.
int Bundle(const std::string& folder, const std::vector<std::string>& files) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const std::string& path : files) {
    std::string text;
    if (!ReadFile(path, text)) {
      std::cerr << path << ": the effect file cannot be read\n";
      return 1;
    }
    // Messages name the file as the programs load it, from their own folder.
    const std::string name = std::filesystem::path(path).filename().string();
    for (bool mapDepth : {false, true}) {
      EffectRecord record;
      std::string messages;
      if (!effectc::TranslateEffect(text, name, {}, mapDepth, record, messages)) {
        std::cerr << messages << (messages.empty() || messages.back() != '\n' ? "\n" : "");
        return 1;
      }
      const std::string target =
          folder + "/" + compat::d3dx9::EffectRecordKey(text, {}, mapDepth) + ".cfxcache";
      std::ofstream out(target, std::ios::binary | std::ios::trunc);
      const std::string bytes = compat::d3dx9::WriteEffectRecord(record);
      if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::cerr << target << ": cannot be written\n";
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "--bundle") {
    if (arguments.size() < 3) return Usage("--bundle takes a folder and the effect files");
    return Bundle(arguments[1], std::vector<std::string>(arguments.begin() + 2, arguments.end()));
  }
  Defines defines;
  bool mapDepth = false, fromStdin = false;
  std::string file;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--map-depth") {
      mapDepth = true;
    } else if (argument == "--stdin") {
      fromStdin = true;
    } else if (argument == "-D") {
      if (++i == arguments.size()) return Usage("-D takes NAME=VALUE");
      const std::string& definition = arguments[i];
      const std::size_t equals = definition.find('=');
      if (equals == 0) return Usage("-D takes NAME=VALUE");
      if (equals == std::string::npos)
        defines.emplace_back(definition, "");
      else
        defines.emplace_back(definition.substr(0, equals), definition.substr(equals + 1));
    } else if (argument == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return Usage("unknown option " + argument);
    } else if (!file.empty()) {
      return Usage("one effect file at a time");
    } else {
      file = argument;
    }
  }
  if (file.empty()) return Usage("no effect file given");
  return Translate(file, fromStdin, defines, mapDepth);
}

#if defined(__SANITIZE_ADDRESS__)
// In the sanitizer build, a crash of glslang ends this program by its signal
// as in any other build (the layer reports the signal), and glslang's tables,
// kept until the process ends, are no leak.
extern "C" const char* __asan_default_options() {
  return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:detect_leaks=0";
}
#endif
