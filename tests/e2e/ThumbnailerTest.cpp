// xviewer-thumbnailer as a file manager runs it: a picture of the model
// framed on a transparent background, one line and no picture for a file it
// cannot show, and the same inside the sandbox file managers use (bubblewrap:
// read-only file system, no network, a fresh /tmp, a home it cannot write).
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;

const std::string kThumbnailer = XVIEW_BINARY_DIR "/bin/xviewer-thumbnailer";

// A folder of the test's own, removed afterwards.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "thumbnailer-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~Scratch() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, ignored);
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Every entry under `folder`, as paths relative to it.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    names.push_back(fs::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  unsigned char Alpha(int x, int y) const { return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]; }
};

Picture Load(const fs::path& file) {
  Picture picture;
  int channels = 0;
  unsigned char* pixels = stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 4);
  if (pixels) picture.rgba.assign(pixels, pixels + static_cast<std::size_t>(picture.width) * picture.height * 4);
  stbi_image_free(pixels);
  return picture;
}

e2e::Outcome Thumbnail(const std::vector<std::string>& arguments, const fs::path& folder,
                       std::vector<std::pair<std::string, std::string>> set = {}) {
  e2e::Launch launch;
  launch.executable = kThumbnailer;
  launch.arguments = arguments;
  launch.folder = folder.string();
  launch.set = std::move(set);
  launch.layerReport = false;
  return e2e::Run(launch);
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::string Asset(const char* name) { return std::string(XVIEW_SOURCE_DIR) + "/assets/" + name; }

// The model's pixels are opaque, the rest transparent: the picture holds the
// model whole (its opaque box touches no edge) and fills most of one side.
void ExpectFramedOnTransparency(const Picture& picture, int size) {
  ASSERT_EQ(picture.width, size);
  ASSERT_EQ(picture.height, size);
  int left = size, top = size, right = -1, bottom = -1;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const unsigned char alpha = picture.Alpha(x, y);
      ASSERT_TRUE(alpha == 0 || alpha == 255) << "alpha " << int(alpha) << " at " << x << "," << y;
      if (alpha == 0) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, 0) << "nothing drawn";
  EXPECT_GT(left, 0);
  EXPECT_GT(top, 0);
  EXPECT_LT(right, size - 1);
  EXPECT_LT(bottom, size - 1);
  EXPECT_GE(std::max(right - left, bottom - top) + 1, size / 2);
}

struct Model {
  const char* file;
  int size;
};

class Thumbnails : public ::testing::TestWithParam<Model> {};

TEST_P(Thumbnails, FrameTheModelOnATransparentBackground) {
  Scratch scratch;
  const fs::path output = scratch.path() / "thumbnail.png";
  e2e::Outcome run = Thumbnail({"-s", std::to_string(GetParam().size), Asset(GetParam().file), output.string()},
                               scratch.path());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output, "");
  ExpectFramedOnTransparency(Load(output), GetParam().size);
}

// The bundled character in its first pose and the bundled prop; the sizes
// that file managers ask for, and a small odd one.
INSTANTIATE_TEST_SUITE_P(Bundled, Thumbnails,
                         ::testing::Values(Model{"miko.x", 256}, Model{"squarepolygon.x", 128}, Model{"miko.x", 33}));

TEST(Thumbnailer, RendersOffscreenWhateverDisplayTheEnvironmentNames) {
  Scratch scratch;
  const fs::path output = scratch.path() / "thumbnail.png";
  e2e::Outcome run = Thumbnail({"-s", "64", Asset("squarepolygon.x"), output.string()}, scratch.path(),
                               {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", ":77"}, {"WAYLAND_DISPLAY", "wayland-77"}});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Load(output).width, 64);
}

// A file manager shows its own icon when the thumbnailer fails: one line
// says why, and no picture is left.
TEST(Thumbnailer, SaysInOneLineWhyAFileHasNoThumbnail) {
  Scratch scratch;
  std::ofstream(scratch.path() / "empty.x").close();
  std::ofstream(scratch.path() / "text.x") << "not a model at all\n";
  std::ofstream(scratch.path() / "frames.x") << "xof 0303txt 0032\nFrame alone {\n FrameTransformMatrix {\n"
                                                "  1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;\n }\n}\n";
  fs::create_directory(scratch.path() / "folder.x");
  for (const char* name : {"missing.x", "empty.x", "text.x", "frames.x", "folder.x"}) {
    const fs::path output = scratch.path() / "thumbnail.png";
    e2e::Outcome run = Thumbnail({"-s", "64", (scratch.path() / name).string(), output.string()}, scratch.path());
    EXPECT_EQ(run.exitCode, 1) << name << ": " << run.output;
    EXPECT_EQ(Lines(run.output), 1) << name << ": " << run.output;
    EXPECT_NE(run.output.find(name), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(output)) << name;
  }
  // A thumbnail that cannot be written is said the same way.
  e2e::Outcome run =
      Thumbnail({"-s", "64", Asset("squarepolygon.x"), (scratch.path() / "no/such/folder.png").string()},
                scratch.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.output), 1) << run.output;
}

TEST(Thumbnailer, RefusesAMistakenCommandLine) {
  Scratch scratch;
  const std::string model = Asset("squarepolygon.x"), output = (scratch.path() / "t.png").string();
  const std::vector<std::vector<std::string>> mistakes = {
      {},
      {model, output},
      {"-s", "128", model},
      {"-s", "0", model, output},
      {"-s", "4097", model, output},
      {"-s", "12x", model, output},
      {"-s", "-5", model, output},
      {"-s", "128", model, output, "extra.png"},
      {"--frames", "1", model, output},
      {"-s"},
  };
  for (const auto& arguments : mistakes) {
    e2e::Outcome run = Thumbnail(arguments, scratch.path());
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("usage: xviewer-thumbnailer -s SIZE"), std::string::npos) << run.output;
  }
  EXPECT_FALSE(fs::exists(output));
}

// A read that never ends (a FIFO nobody writes) meets the hard limit: the
// thumbnailer gives up with one line and leaves no picture.
TEST(Thumbnailer, GivesUpAfterTenSeconds) {
  Scratch scratch;
  const fs::path fifo = scratch.path() / "stalled.x", output = scratch.path() / "thumbnail.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  e2e::Outcome run = Thumbnail({"-s", "64", fifo.string(), output.string()}, scratch.path());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(Lines(run.output), 1) << run.output;
  EXPECT_NE(run.output.find("no thumbnail after 10 s"), std::string::npos) << run.output;
  EXPECT_GE(seconds, 9.5);
  EXPECT_FALSE(fs::exists(output));
}

// The files a run opened for writing, made, renamed or removed, as strace
// saw them succeed; devices (/dev/null, a GPU's render node) do not count.
std::set<std::string> FilesWritten(const fs::path& log) {
  const std::set<std::string> opens = {"open", "openat", "openat2", "creat"};
  const std::set<std::string> changes = {"mkdir", "mkdirat", "rename", "renameat", "renameat2", "unlink",
                                         "unlinkat", "link", "linkat", "symlink", "symlinkat", "truncate", "rmdir"};
  std::set<std::string> written;
  std::ifstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    // "PID call(arguments) = result", the PID padded with spaces
    const std::size_t name = line.find_first_not_of(' ', line.find(' ')), bracket = line.find('(');
    if (name == std::string::npos || bracket == std::string::npos || bracket < name) continue;
    const std::string call = line.substr(name, bracket - name);
    const bool writes = line.find("O_WRONLY") != std::string::npos || line.find("O_RDWR") != std::string::npos ||
                        line.find("O_CREAT") != std::string::npos || call == "creat";
    if (!(opens.count(call) && writes) && !changes.count(call)) continue;
    const std::size_t first = line.find('"'), last = line.find('"', first + 1);
    const std::string path = first == std::string::npos ? line : line.substr(first + 1, last - first - 1);
    if (path.rfind("/dev/", 0) != 0) written.insert(path);
  }
  return written;
}

// Nothing but the thumbnail is written: no shader cache, no effect records,
// no temporary file, whatever the environment names for them.
TEST(Thumbnailer, WritesNothingButTheThumbnail) {
  if (!fs::exists("/usr/bin/strace")) GTEST_SKIP() << "no /usr/bin/strace to watch the run";
  // A container may forbid tracing even one's own children.
  e2e::Launch probe;
  probe.executable = "/usr/bin/strace";
  probe.arguments = {"-qq", "-o", "/dev/null", "/bin/true"};
  probe.layerReport = false;
  if (const e2e::Outcome traced = e2e::Run(probe); traced.exitCode != 0)
    GTEST_SKIP() << "strace cannot trace here: " << traced.output;
  Scratch scratch;
  for (const char* folder : {"home", "cache", "work"}) fs::create_directory(scratch.path() / folder);
  const fs::path output = scratch.path() / "thumbnail.png", log = scratch.path() / "calls.log";
  e2e::Launch launch;
  launch.executable = "/usr/bin/strace";
  launch.arguments = {"-f", "-qq", "-e", "trace=%file,%desc", "-e", "status=successful", "-o", log.string(),
                      kThumbnailer, "-s", "128", Asset("miko.x"), output.string()};
  launch.folder = (scratch.path() / "work").string();
  launch.set = {{"HOME", (scratch.path() / "home").string()}, {"XDG_CACHE_HOME", (scratch.path() / "cache").string()},
                {"TMPDIR", (scratch.path() / "work").string()}};
  launch.layerReport = false;
  e2e::Outcome run = e2e::Run(launch);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(FilesWritten(log), std::set<std::string>{output.string()});
  EXPECT_EQ(Entries(scratch.path()),
            (std::vector<std::string>{"cache", "calls.log", "home", "thumbnail.png", "work"}));
}

// The sandbox of file managers, as bubblewrap makes it: the whole file system
// read-only, a fresh /tmp, no network, a home it cannot write, and only the
// thumbnail's folder writable. Every namespace but the user's is new: a
// chroot, such as scripts/fresh-check runs the tests in, cannot make one.
const std::vector<std::string> kSandbox = {"--ro-bind", "/", "/", "--dev", "/dev", "--proc", "/proc",
                                           "--tmpfs", "/tmp", "--unshare-pid", "--unshare-net", "--unshare-ipc",
                                           "--unshare-uts", "--unshare-cgroup-try", "--die-with-parent",
                                           "--new-session", "--setenv", "HOME", "/nonexistent", "--chdir", "/"};

class Sandboxed : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::Launch probe;
    probe.executable = "/usr/bin/bwrap";
    probe.arguments = kSandbox;
    probe.arguments.push_back("/bin/true");
    probe.layerReport = false;
    e2e::Outcome run = e2e::Run(probe);
    if (run.exitCode != 0) GTEST_SKIP() << "bubblewrap cannot make a sandbox here: " << run.output;
  }

  e2e::Outcome Run(const std::string& model, const fs::path& outputFolder, const std::string& size) {
    e2e::Launch launch;
    launch.executable = "/usr/bin/bwrap";
    launch.arguments = kSandbox;
    launch.arguments.insert(launch.arguments.end(), {"--bind", outputFolder.string(), outputFolder.string(),
                                                     kThumbnailer, "-s", size, model,
                                                     (outputFolder / "thumbnail.png").string()});
    launch.layerReport = false;
    return e2e::Run(launch);
  }
};

TEST_F(Sandboxed, DrawsTheBundledModels) {
  for (const char* model : {"miko.x", "squarepolygon.x"}) {
    Scratch scratch;
    e2e::Outcome run = Run(Asset(model), scratch.path(), "128");
    ASSERT_EQ(run.exitCode, 0) << model << ": " << run.output;
    EXPECT_EQ(Entries(scratch.path()), std::vector<std::string>{"thumbnail.png"});
    ExpectFramedOnTransparency(Load(scratch.path() / "thumbnail.png"), 128);
  }
}

TEST_F(Sandboxed, SaysInOneLineWhyAFileHasNoThumbnail) {
  Scratch scratch;
  e2e::Outcome run = Run((scratch.path() / "missing.x").string(), scratch.path(), "128");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.output), 1) << run.output;
  EXPECT_TRUE(Entries(scratch.path()).empty());
}

}  // namespace
