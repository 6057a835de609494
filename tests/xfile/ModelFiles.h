// Model files written for one test, and the parse of them in the shape that
// the test is built with.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "xfile/DocumentParser.h"
#include "xfile/ModelRegistry.h"
#include "xfile/TokenReader.h"

namespace xfile_test {

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
}

// A file under the test's own temporary folder, removed with the object.
class ModelFile {
 public:
  explicit ModelFile(const std::string& text, const std::string& name = "model.x") {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(testing::TempDir()) /
              (std::string("xfile_") + info->test_suite_name() + "_" + info->name() + "_" +
               std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    path_ = folder_ / name;
    std::filesystem::create_directories(path_.parent_path());
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~ModelFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Path() const { return path_.string(); }
  std::wstring WidePath() const { return Wide(path_.string()); }
  std::wstring Folder() const { return Wide(folder_.string()) + L"/"; }

 private:
  std::filesystem::path folder_, path_;
};

inline const std::string kHeader = "xof 0303txt 0032\n";

// Parses `text` (the header is prepended) without echo.
inline XModelContent Parse(const std::string& text) {
  ModelFile file(kHeader + text);
  XModelContent content;
  SetModelEcho(false);
  EXPECT_TRUE(ParseXFile(file.WidePath(), content));
  SetModelEcho(true);
  return content;
}

inline std::wstring DataModel(const char* name) {
  return Wide(std::string(XVIEW_TEST_DATA) + "/models/" + name);
}

}  // namespace xfile_test
