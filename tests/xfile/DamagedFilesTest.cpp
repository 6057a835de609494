// Sweeps of damaged real files through the reader, in the shape the test is
// built with: every model of other authors and every bundled model, cut at
// many offsets and with bytes replaced, and every input the fuzzer once broke
// the reader with. Nothing may crash or hang (the sanitizer build and the
// test's time limit watch that), every parse keeps the promises of a finished
// mesh, and a file cut inside a record says so.
//
// XVIEW_SWEEP_SCALE=N runs N times as many cases, at other offsets and seeds.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ModelFiles.h"
#include "XFileWriter.h"
#include "xfile/DamagedModels.h"

namespace xfile_test {
namespace {

namespace fs = std::filesystem;
using damaged_models::CutInsideRecord;

// Cut offsets per file: every one for files of a few hundred bytes, a spread
// of 300 for the small ones, and for the large ones as many as about 24 MB of
// reading allows (some 30 for the 800 KB files), so that a sweep fits a
// minute of the sanitizer build. The small files hold every kind of record.
constexpr std::size_t kMostCuts = 300;
constexpr std::size_t kBytesPerFile = 24 << 20;
constexpr std::size_t kCorruptionsPerFile = 40;
constexpr std::size_t kMostCorruptionsOfLargeFiles = 10;
constexpr std::size_t kHeaderBytes = 17;

std::size_t Scale() {
  const char* scale = std::getenv("XVIEW_SWEEP_SCALE");
  long value = scale ? std::strtol(scale, nullptr, 10) : 1;
  return value > 1 ? static_cast<std::size_t>(value) : 1;
}

std::vector<fs::path> SweptModels() {
  std::vector<fs::path> models = damaged_models::ModelFilesIn(fs::path(XVIEW_TEST_DATA) / "models");
  for (const fs::path& bundled : damaged_models::ModelFilesIn(fs::path(XVIEW_SOURCE_DIR) / "assets"))
    models.push_back(bundled);
  return models;
}

// A scratch file for the damaged copies of one test.
class Scratch {
 public:
  Scratch() : file_("", "damaged.x") {}
  std::wstring Write(const std::string& text) const {
    damaged_models::WriteWholeFile(file_.Path(), text);
    return file_.WidePath();
  }

 private:
  ModelFile file_;
};

TEST(DamagedFiles, EveryModelCutAnywhereKeepsWhatItReadAndSaysWhereItEnded) {
  Scratch scratch;
  for (const fs::path& model : SweptModels()) {
    const std::string text = damaged_models::ReadWholeFile(model);
    const bool textFormat = text.compare(0, 16, kHeader.substr(0, 16)) == 0;
    std::size_t cuts = 0, inside = 0;
    const std::size_t most = std::max<std::size_t>(std::min(kMostCuts, kBytesPerFile / (text.size() + 1)), 8);
    for (std::size_t offset : damaged_models::CutOffsets(text.size(), most * Scale(), Scale() - 1)) {
      QuietParse parse = ParseQuietly(scratch.Write(text.substr(0, offset)));
      ++cuts;
      ExpectSoundContent(parse.content);
      if (!parse.accepted || !textFormat) continue;
      if (CutInsideRecord(text, offset)) {
        ++inside;
        EXPECT_TRUE(parse.Warned(ParseWarningKind::FileEnds))
            << model.filename() << " cut at " << offset << ":\n"
            << parse.standardError;
      }
      if (offset == text.size()) {
        EXPECT_FALSE(parse.Warned(ParseWarningKind::FileEnds)) << model.filename();
      }
    }
    EXPECT_GT(cuts, 0u);
    if (textFormat && text.size() > 100) {
      EXPECT_GT(inside, cuts / 2) << model.filename();
    }
  }
}

// Binary and compressed twins of the small text models, written here: the
// same sweeps over them. A compressed file cut anywhere after its header
// says that its container is damaged, with the block.
TEST(DamagedFiles, BinaryAndCompressedTwinsCutOrCorruptedReadSoundly) {
  Scratch scratch;
  for (const char* name : {"test_cube_text.x", "test.x", "kwxport_test_cubewithvcolors.x"}) {
    const std::string text = damaged_models::ReadWholeFile(Narrow(DataModel(name)));
    for (const char* format : {"bin", "bzip", "tzip"}) {
      const std::string twin = xfileconvert::Twin(text, format, false, 1500);
      const bool compressed = format[1] == 'z';
      for (std::size_t offset : damaged_models::CutOffsets(twin.size(), kMostCuts * Scale(), Scale() - 1)) {
        QuietParse parse = ParseQuietly(scratch.Write(twin.substr(0, offset)));
        ExpectSoundContent(parse.content);
        if (offset < 16) continue;
        EXPECT_TRUE(parse.accepted) << name << " " << format << " cut at " << offset;
        if (compressed && offset < twin.size()) {
          EXPECT_TRUE(parse.Warned(ParseWarningKind::ContainerDamaged))
              << name << " " << format << " cut at " << offset << ":\n"
              << parse.standardError;
        }
      }
      for (std::size_t i = 0; i < kCorruptionsPerFile * Scale(); ++i) {
        const std::size_t bytes = 1 + i % 8 * (i % 3 + 1);
        QuietParse parse = ParseQuietly(scratch.Write(damaged_models::Corrupted(twin, i + 1, bytes, 16)));
        ExpectSoundContent(parse.content);
      }
    }
  }
}

TEST(DamagedFiles, EveryModelWithBytesReplacedReadsSoundly) {
  Scratch scratch;
  for (const fs::path& model : SweptModels()) {
    const std::string text = damaged_models::ReadWholeFile(model);
    const std::size_t count = text.size() > (256 << 10) ? kMostCorruptionsOfLargeFiles : kCorruptionsPerFile;
    for (std::size_t i = 0; i < count * Scale(); ++i) {
      // From one byte up to a few dozen, the header left whole in most cases.
      const std::size_t bytes = 1 + i % 8 * (i % 3 + 1);
      const std::size_t keep = i % 5 == 0 ? 0 : kHeaderBytes;
      QuietParse parse = ParseQuietly(scratch.Write(damaged_models::Corrupted(text, i + 1, bytes, keep)));
      ExpectSoundContent(parse.content);
      for (const ParseWarning& warning : parse.warnings) EXPECT_GT(warning.count, 0u) << model.filename();
    }
  }
}

TEST(DamagedFiles, InputsThatOnceBrokeTheReaderStayHarmless) {
  const fs::path corpus = fs::path(XVIEW_TEST_DATA) / "fuzz-regressions";
  std::size_t inputs = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    ++inputs;
    QuietParse parse = ParseQuietly(Wide(entry.path().string()));
    ExpectSoundContent(parse.content);
  }
  EXPECT_GT(inputs, 0u);
}

}  // namespace
}  // namespace xfile_test
