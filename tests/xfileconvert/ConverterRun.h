// Running xfileconvert as a user runs it, and the model files the tests give it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace convert_test {

struct ConverterRun {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

// Runs xfileconvert with `arguments`.
ConverterRun RunConverter(const std::vector<std::string>& arguments);

// A folder of the test's own, removed with the object.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // Writes `text` as the file `name` in the folder; returns its path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

std::string DataModel(const std::string& name);   // tests/data/models/NAME
std::string AssetModel(const std::string& name);  // assets/NAME

// Every model file the converter must take, by folder (names repeat between
// folders): the project's test and sample models, and the models of other
// tools in ../shared/models where that folder is there. Refused files (an
// empty one) are left out.
struct ModelFolder {
  std::string name;  // a name for the folder's outputs
  std::vector<std::string> files;
};
std::vector<ModelFolder> ModelsToConvert();

// Writes the team's generated character (the generator's MESHES sheets of
// GRID x GRID quads, 24 bones, 400 keys) into `folder`; empty when the
// generator is not there.
std::string GeneratedCharacter(const Scratch& folder, int meshes, int grid);

std::string ReadWholeFile(const std::string& path);

// The output that a conversion into a folder gives `input`.
std::string OutputOf(const Scratch& folder, const std::string& input, const char* extension);

bool Has(const std::string& text, const std::string& part);

}  // namespace convert_test
