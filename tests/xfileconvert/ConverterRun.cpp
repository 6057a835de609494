#include "ConverterRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/ShellQuoted.h"

namespace convert_test {

namespace fs = std::filesystem;

namespace {

ConverterRun RunCommand(const std::string& command) {
  ConverterRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::atomic<int> g_Scratches{0};

}  // namespace

ConverterRun RunConverter(const std::vector<std::string>& arguments) {
  std::string command = ShellQuoted(XVIEW_XFILECONVERT);
  for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
  return RunCommand(command);
}

Scratch::Scratch() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  path_ = fs::path(testing::TempDir()) / ("xfileconvert_" + std::string(info ? info->name() : "shared") + "_" +
                                          std::to_string(::getpid()) + "_" + std::to_string(g_Scratches++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

Scratch::~Scratch() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string Scratch::Write(const std::string& name, const std::string& text) const {
  const fs::path path = path_ / name;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

std::string DataModel(const std::string& name) { return std::string(XVIEW_TEST_DATA) + "/models/" + name; }
std::string AssetModel(const std::string& name) { return std::string(XVIEW_SOURCE_DIR) + "/assets/" + name; }

std::vector<ModelFolder> ModelsToConvert() {
  std::vector<ModelFolder> models;
  auto addFolder = [&](const fs::path& folder) {
    std::error_code error;
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      std::string extension = entry.path().extension().string();
      if ((extension == ".x" || extension == ".X") && fs::file_size(entry.path()) > 0)
        found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    models.push_back({folder.filename().string(), found});
  };
  addFolder(fs::path(XVIEW_TEST_DATA) / "models");
  addFolder(fs::path(XVIEW_TEST_DATA) / "real-models");
  addFolder(fs::path(XVIEW_SOURCE_DIR) / "assets");
  if (fs::exists(XVIEW_SHARED_MODELS)) addFolder(XVIEW_SHARED_MODELS);
  return models;
}

std::string GeneratedCharacter(const Scratch& folder, int meshes, int grid) {
  if (!fs::exists(XVIEW_GENBIG_SCRIPT)) return {};
  const std::string path = folder / ("generated-" + std::to_string(meshes) + "x" + std::to_string(grid) + ".x");
  const ConverterRun run = RunCommand("python3 " + ShellQuoted(XVIEW_GENBIG_SCRIPT) + " " + ShellQuoted(path) + " " +
                                      std::to_string(meshes) + " " + std::to_string(grid));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string OutputOf(const Scratch& folder, const std::string& input, const char* extension) {
  return (folder.Path() / fs::path(input).filename().replace_extension(extension)).string();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace convert_test
