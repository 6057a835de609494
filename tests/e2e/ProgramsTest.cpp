// Both programs, run as a user runs them: headless for a few frames, writing
// a screenshot of the back buffer; and every way a user meets a failure,
// each with its message, its exit code, and every layer object released.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ProgramRun.h"

namespace {

using e2e::Launch;
using e2e::Outcome;
using e2e::ReleasedEverything;

std::string TempPng(const std::string& name) {
  return (::testing::TempDir().empty() ? std::string("/tmp/") : ::testing::TempDir()) + name + "-" +
         std::to_string(::getpid()) + ".png";
}

bool Contains(const Outcome& outcome, const std::string& text) {
  return outcome.output.find(text) != std::string::npos;
}

Launch Start(const std::string& program, std::vector<std::string> arguments) {
  Launch launch;
  launch.program = program;
  launch.arguments = std::move(arguments);
  return launch;
}

// A run without any display: neither X11 nor Wayland, nor a driver asked for.
Launch WithoutDisplay(const std::string& program, std::vector<std::string> arguments) {
  Launch launch = Start(program, std::move(arguments));
  launch.unset = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  return launch;
}

class Programs : public ::testing::TestWithParam<const char*> {
 protected:
  std::string program() const { return GetParam(); }
  Launch Offscreen(std::vector<std::string> arguments) const {
    Launch launch = Start(program(), std::move(arguments));
    launch.set = {{"SDL_VIDEODRIVER", "offscreen"}};
    return launch;
  }
};

TEST_P(Programs, ThreeFramesHeadlessGiveTheBackBufferAsPng) {
  std::string shot = TempPng(GetParam());
  Outcome run = e2e::Run(Offscreen({"--frames", "3", "--screenshot", shot}));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load(shot.c_str(), &width, &height, &channels, 4);
  ASSERT_NE(pixels, nullptr) << "no screenshot at " << shot;
  // The back buffer has the window's outer size.
  EXPECT_EQ(width, 656);
  EXPECT_EQ(height, 519);
  long alphaNotOpaque = 0;
  for (int i = 0; i < width * height; ++i) alphaNotOpaque += pixels[i * 4 + 3] != 255;
  EXPECT_EQ(alphaNotOpaque, 0);
  stbi_image_free(pixels);
  std::remove(shot.c_str());
}

TEST_P(Programs, HelpAndMistakenOptions) {
  Outcome help = e2e::Run(Offscreen({"--help"}));
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(Contains(help, "--screenshot"));
  EXPECT_TRUE(Contains(help, "SDL_VIDEODRIVER=offscreen"));
  EXPECT_TRUE(ReleasedEverything(help)) << help.output;
  Outcome wrong = e2e::Run(Offscreen({"--frames", "zero"}));
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_TRUE(Contains(wrong, "--frames"));
  EXPECT_TRUE(ReleasedEverything(wrong)) << wrong.output;
}

TEST_P(Programs, ViewOptionsRunAndTheHelpListsThemWithTheControls) {
  Outcome help = e2e::Run(Offscreen({"--help"}));
  for (const char* listed : {"--fit", "--wireframe", "--normals", "--watch", "F12", "Escape", "frame the model",
                             "  N     ", "normals on / off", "  I     ", "what the model holds"})
    EXPECT_TRUE(Contains(help, listed)) << listed << "\n" << help.output;
  const bool animated = program() == "actorviewer";
  for (const char* listed : {"--speed", "--realtime", "--skeleton", "Page Down"})
    EXPECT_EQ(Contains(help, listed), animated) << listed << "\n" << help.output;
  std::string shot = TempPng(program() + "-options");
  std::vector<std::string> options = {"--fit", "--wireframe", "--normals", "--watch", "--frames", "3", "--screenshot", shot};
  if (animated) options.insert(options.end(), {"--speed", "0.25", "--realtime", "--skeleton"});
  Outcome run = e2e::Run(Offscreen(options));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
  EXPECT_TRUE(std::filesystem::exists(shot));
  std::remove(shot.c_str());
  if (animated) {
    Outcome slow = e2e::Run(Offscreen({"--speed", "0", "--frames", "1"}));
    EXPECT_EQ(slow.exitCode, 2);
    EXPECT_TRUE(Contains(slow, "--speed needs a positive number, not \"0\"")) << slow.output;
  } else {
    Outcome refused = e2e::Run(Offscreen({"--skeleton", "--frames", "1"}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Contains(refused, "unknown option \"--skeleton\"")) << refused.output;
  }
}

TEST_P(Programs, AnUnwritableScreenshotIsAFailure) {
  Outcome run = e2e::Run(Offscreen({"--frames", "1", "--screenshot", "/nonexistent-folder/shot.png"}));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run, "shot.png")) << run.output;
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
}

// Without a display a viewer would show nothing; it says so and how to
// render headless, unless the run asked for that: a run that ends with a
// screenshot renders offscreen by itself, and so does any run with
// SDL_VIDEODRIVER=offscreen.
TEST_P(Programs, WithoutADisplayOnlyAHeadlessRequestRuns) {
  Outcome refused = e2e::Run(WithoutDisplay(program(), {}));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(Contains(refused, program() + ": no display was found (neither DISPLAY nor WAYLAND_DISPLAY is set)"))
      << refused.output;
  EXPECT_TRUE(Contains(refused, program() + ": to render headless, run with --frames N --screenshot FILE.png, "
                                            "or set SDL_VIDEODRIVER=offscreen"))
      << refused.output;
  EXPECT_FALSE(Contains(refused, "first frame presented"));
  EXPECT_TRUE(ReleasedEverything(refused)) << refused.output;

  std::string shot = TempPng(program() + "-headless");
  Outcome screenshot = e2e::Run(WithoutDisplay(program(), {"--frames", "2", "--screenshot", shot}));
  EXPECT_EQ(screenshot.exitCode, 0) << screenshot.output;
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_TRUE(ReleasedEverything(screenshot)) << screenshot.output;
  std::remove(shot.c_str());

  Launch asked = WithoutDisplay(program(), {"--frames", "2"});
  asked.set = {{"SDL_VIDEODRIVER", "offscreen"}};
  Outcome offscreen = e2e::Run(asked);
  EXPECT_EQ(offscreen.exitCode, 0) << offscreen.output;
  EXPECT_TRUE(Contains(offscreen, "first frame presented"));
  EXPECT_TRUE(ReleasedEverything(offscreen)) << offscreen.output;
}

TEST_P(Programs, AVideoDriverThatFailsIsNamedWithSdlsReason) {
  Launch launch = Start(program(), {"--frames", "2"});
  launch.set = {{"SDL_VIDEODRIVER", "nonsense"}};
  Outcome run = e2e::Run(launch);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run, program() + ": the video driver \"nonsense\" (SDL_VIDEODRIVER) cannot be started: "
                                        "nonsense not available"))
      << run.output;
  EXPECT_TRUE(Contains(run, program() + ": the application window could not be created: "
                                        "The device is not connected."))
      << run.output;
  EXPECT_FALSE(Contains(run, "error 1"));
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
}

// Mesa told to offer no more than OpenGL 3.2 cannot make the 3.3 core
// context that every rung of the device ladder needs. The warning box has no
// display to show on, so its caption and text go to standard error; without
// a device there is no screenshot to write.
TEST_P(Programs, WithoutUsableOpenGLTheWarningBoxGoesToStandardError) {
  std::string shot = TempPng(program() + "-nogl");
  Launch launch = Offscreen({"--frames", "2", "--screenshot", shot});
  launch.set.push_back({"MESA_GL_VERSION_OVERRIDE", "3.2"});
  const char* mesaVendor = "/usr/share/glvnd/egl_vendor.d/50_mesa.json";
  if (std::filesystem::exists(mesaVendor)) launch.set.push_back({"__EGL_VENDOR_LIBRARY_FILENAMES", mesaVendor});
  Outcome run = e2e::Run(launch);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run, "Error: DirectXが使えません、グラフィックボードを買い替えてください\n")) << run.output;
  EXPECT_TRUE(Contains(run, "no OpenGL 3.3 core context")) << run.output;
  EXPECT_FALSE(std::filesystem::exists(shot));
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
}

// A viewer goes on without an effect file it cannot open (drawing nothing
// with it) and names the file on the debugger output, standard error here.
TEST_P(Programs, AMissingEffectFileIsNamed) {
  std::vector<std::string> effects = {"mesh.cfx", "geometory.cfx"};
  if (program() == "actorviewer") effects.push_back("skinmesh.cfx");
  for (const std::string& effect : effects) {
    std::string folder = e2e::AssetsCopy(effect);
    Launch launch = Offscreen({"--frames", "2"});
    launch.folder = folder;
    launch.set.emplace_back("XVIEW_ASSETS", "");  // no installed copy to fall back on
    Outcome run = e2e::Run(launch);
    EXPECT_EQ(run.exitCode, 0) << effect << "\n" << run.output;
    EXPECT_TRUE(Contains(run, effect + ": cannot open the file (No such file or directory)\n")) << run.output;
    EXPECT_TRUE(ReleasedEverything(run)) << run.output;
    std::filesystem::remove_all(folder);
  }
}

TEST_P(Programs, AnEffectWithASyntaxErrorIsNamedWithItsLine) {
  std::string folder = e2e::AssetsCopy();
  // Line 5 of the copy gets a declaration with a stray word.
  std::ifstream in(folder + "/mesh.cfx");
  std::ostringstream text;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    text << line << '\n';
    if (number == 4) text << "float4 g_Broken oops;\n";
  }
  in.close();
  std::ofstream(folder + "/mesh.cfx") << text.str();
  Launch launch = Offscreen({"--frames", "2"});
  launch.folder = folder;
  Outcome run = e2e::Run(launch);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Contains(run, "mesh.cfx(5): expected ';' after parameter 'g_Broken', found 'oops'\n")) << run.output;
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
  std::filesystem::remove_all(folder);
}

// The files under `folder`, in any depth.
int FilesUnder(const std::filesystem::path& folder) {
  int files = 0;
  if (std::filesystem::exists(folder))
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) files += entry.is_regular_file();
  return files;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The bundled effects were translated when the project was built: a first
// start with an empty cache finds their records, never starts the
// translator (here there is none to start) and writes nothing in the cache.
TEST_P(Programs, TheBundledEffectsNeedNoTranslation) {
  const std::filesystem::path cache =
      std::filesystem::temp_directory_path() / ("e2e-cache-" + std::to_string(::getpid()));
  Launch launch = Offscreen({"--frames", "2"});
  launch.set.emplace_back("XDG_CACHE_HOME", cache.string());
  launch.set.emplace_back("XVIEW_EFFECT_TRANSLATOR", "/nonexistent/xviewer-effectc");
  Outcome run = e2e::Run(launch);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_FALSE(Contains(run, "effect translator")) << run.output;
  EXPECT_TRUE(ReleasedEverything(run)) << run.output;
  EXPECT_EQ(FilesUnder(cache / "xviewer"), 0);  // the effect cache; Mesa keeps its own beside it
  std::filesystem::remove_all(cache);
}

// An effect changed from the bundled one is translated when the program
// starts, by the translator installed beside it, and cached. A translator
// that is missing or crashes is one line naming the effect, and the program
// goes on without it.
TEST_P(Programs, AChangedEffectIsTranslatedAndAFailingTranslatorIsOneLine) {
  const std::string folder = e2e::AssetsCopy();
  std::ofstream(folder + "/mesh.cfx", std::ios::app) << "// changed\n";
  const std::string crashing = folder + "/crashing-translator";
  std::ofstream(crashing) << "#!/bin/sh\nkill -SEGV $$\n";
  std::filesystem::permissions(crashing, std::filesystem::perms::owner_all);
  const std::pair<std::string, std::string> translators[] = {
      {"", ""},
      {"/nonexistent/xviewer-effectc",
       "the effect translator /nonexistent/xviewer-effectc is missing (No such file or directory)"},
      {crashing,
       "the effect translator crashed on it (signal 11, Segmentation fault); glslang crashes so on some malformed HLSL"}};
  for (const auto& [translator, message] : translators) {
    const std::string cache = folder + "/cache";
    Launch launch = Offscreen({"--frames", "2"});
    launch.folder = folder;
    launch.set.emplace_back("XDG_CACHE_HOME", cache);
    if (translator.empty())
      launch.unset.push_back("XVIEW_EFFECT_TRANSLATOR");
    else
      launch.set.emplace_back("XVIEW_EFFECT_TRANSLATOR", translator);
    Outcome run = e2e::Run(launch);
    EXPECT_EQ(run.exitCode, 0) << translator << "\n" << run.output;
    EXPECT_TRUE(ReleasedEverything(run)) << run.output;
    if (translator.empty()) {
      EXPECT_FALSE(Contains(run, "effect translator")) << run.output;
      EXPECT_EQ(FilesUnder(cache + "/xviewer"), 1);  // the changed mesh.cfx
    } else {
      EXPECT_EQ(Occurrences(run.output, "effect translator"), 1) << run.output;
      EXPECT_TRUE(Contains(run, "mesh.cfx: " + message + "\n")) << run.output;
      EXPECT_EQ(FilesUnder(cache + "/xviewer"), 0);
    }
    std::filesystem::remove_all(cache);
  }
  std::filesystem::remove_all(folder);
}

// Ctrl+C and SIGTERM close the window as the close box does: the scene,
// input, device and console are torn down in order and every layer object is
// released. The process then ends by the signal, as the shell expects of a
// program it interrupted (exit status 130 or 143).
TEST_P(Programs, SigintAndSigtermCloseTheWindow) {
  for (int signal : {SIGINT, SIGTERM}) {
    Launch launch = Offscreen({});
    launch.signal = signal;
    Outcome run = e2e::Run(launch);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.signal, signal) << "exit code " << run.exitCode << "\n" << run.output;
    EXPECT_TRUE(Contains(run, "first frame presented")) << run.output;
    EXPECT_TRUE(ReleasedEverything(run)) << run.output;
  }
}

INSTANTIATE_TEST_SUITE_P(BothViewers, Programs, ::testing::Values("actorviewer", "propviewer"));

}  // namespace
