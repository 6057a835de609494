// Model files written for one test, and the parse of them in the shape that
// the test is built with.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "xfile/DocumentParser.h"
#include "xfile/ModelReader.h"
#include "xfile/ModelRegistry.h"
#include "xfile/ParseWarnings.h"
#include "support/StderrCapture.h"

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
    folder_ =
        std::filesystem::path(testing::TempDir()) / (std::string("xfile_") + info->test_suite_name() + "_" +
                                                     info->name() + "_" + std::to_string(::getpid()));
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

// `text` written to a file and read token by token as the record readers
// read it: the object's reader is the active reader of the thread while the
// object lives.
class TokenFile {
 public:
  explicit TokenFile(const std::string& text, bool echo = false)
      : file_(text), stream_(_wfopen(file_.WidePath().c_str(), L"rb"), &std::fclose),
        reader_(stream_.get(), ModelFormat::Text, 4, echo) {}
  ModelReader& reader() { return reader_; }

 private:
  ModelFile file_;
  std::unique_ptr<FILE, int (*)(FILE*)> stream_;
  ModelReader reader_;
};

inline const ParseOptions kQuiet{.echo = false};

// Parses `text` (the header is prepended) without echo.
inline XModelContent Parse(const std::string& text) {
  ModelFile file(kHeader + text);
  XModelContent content;
  EXPECT_TRUE(ParseXFile(file.WidePath(), content, kQuiet));
  return content;
}

// A parse whose standard error is kept rather than shown.
struct QuietParse {
  bool accepted = false;
  XModelContent content;
  std::vector<ParseWarning> warnings;
  unsigned codePage = 0;
  std::string standardError;

  bool Warned(ParseWarningKind kind) const {
    for (const ParseWarning& warning : warnings)
      if (warning.kind == kind) return true;
    return false;
  }
  const std::vector<XMesh>& Meshes() const {
#if defined(XVIEW_REDUCED_MODEL)
    return content;
#else
    return content.meshes;
#endif
  }
};

// A parse, and what it says on standard error, as the programs say it.
inline QuietParse ParseQuietly(const std::wstring& path) {
  QuietParse parse;
  StderrCapture captured;
  ParseResult result = ParseXFile(path, parse.content, kQuiet);
  ReportParse(path, result);
  parse.standardError = captured.Take();
  parse.accepted = result.accepted;
  parse.warnings = std::move(result.warnings);
  parse.codePage = result.codePage;
  return parse;
}

// `text` (the header is prepended) written to a file and parsed quietly.
inline QuietParse ParseTextQuietly(const std::string& text) {
  ModelFile file(kHeader + text);
  return ParseQuietly(file.WidePath());
}

// What every reader guarantees of a finished mesh.
inline void ExpectSound(const XMesh& mesh) {
  std::uint32_t next = 0;
  for (const XSubset& subset : mesh.subsets) {
    EXPECT_EQ(subset.firstFace, next);
    next += subset.faceCount;
  }
  EXPECT_EQ(next, mesh.faces.size());
  for (const XFace& face : mesh.faces) {
    ASSERT_EQ(face.corners.size(), 3u);
    for (std::int32_t corner : face.corners) {
      EXPECT_GE(corner, 0);
      EXPECT_LT(static_cast<std::size_t>(corner), mesh.vertices.size());
    }
  }
  EXPECT_TRUE(mesh.flags & HasPositions);
  EXPECT_TRUE(mesh.flags & HasNormals);
  for (const XVertex& vertex : mesh.vertices) {
    EXPECT_TRUE(std::isfinite(vertex.tangent.x) && std::isfinite(vertex.tangent.w));
#if !defined(XVIEW_REDUCED_MODEL)
    for (const XSkinInfluence& influence : vertex.influences) EXPECT_LT(influence.bone, mesh.bones.size());
#endif
  }
#if !defined(XVIEW_REDUCED_MODEL)
  EXPECT_LE(mesh.bones.size(), 65536u);  // as many as a 16-bit influence names
#endif
}

inline void ExpectSoundContent(const XModelContent& content) {
#if defined(XVIEW_REDUCED_MODEL)
  for (const XMesh& mesh : content) ExpectSound(mesh);
#else
  for (const XMesh& mesh : content.meshes) ExpectSound(mesh);
  // Parents come before their children in file order, so they lead to the
  // top without a cycle.
  std::unordered_map<const XFrame*, std::size_t> indexOf;
  for (std::size_t i = 0; i < content.frames.size(); ++i) indexOf.emplace(&content.frames[i], i);
  for (std::size_t i = 0; i < content.frames.size(); ++i) {
    const XFrame* parent = content.frames[i].parent;
    if (!parent) continue;
    ASSERT_EQ(indexOf.count(parent), 1u) << Narrow(content.frames[i].name);
    EXPECT_LT(indexOf.at(parent), i) << Narrow(content.frames[i].name);
  }
#endif
}

// Runs `read` with standard output sent to a file and returns what was written.
template <typename Read>
inline std::string CaptureStandardOutput(Read read) {
  std::fflush(stdout);
  // Both record shapes run these tests, possibly at once: one file per process.
  std::string path = testing::TempDir() + "/xfile_echo_" + std::to_string(::getpid()) + ".txt";
  int saved = ::dup(1);
  FILE* capture = std::fopen(path.c_str(), "w");
  ::dup2(::fileno(capture), 1);
  read();
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::fclose(capture);
  std::string text;
  FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return "<no capture file>";
  for (int c; (c = std::fgetc(in)) != EOF;) text += static_cast<char>(c);
  std::fclose(in);
  std::remove(path.c_str());
  return text;
}

inline std::wstring DataModel(const char* name) {
  return Wide(std::string(XVIEW_TEST_DATA) + "/models/" + name);
}

}  // namespace xfile_test
