// Both programs, run as a user runs them: headless for a few frames, writing
// a screenshot of the back buffer.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct ProgramRun {
  int exitCode;
  std::string output;  // standard error and output
};

ProgramRun RunProgram(const std::string& program, const std::string& arguments) {
  std::string command = "cd '" XVIEW_SOURCE_DIR "/assets' && '" XVIEW_BINARY_DIR "/apps/" + program + "' " +
                        arguments + " 2>&1";
  ProgramRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string TempPng(const std::string& name) {
  return (::testing::TempDir().empty() ? std::string("/tmp/") : ::testing::TempDir()) + name + "-" +
         std::to_string(::getpid()) + ".png";
}

class Programs : public ::testing::TestWithParam<const char*> {};

TEST_P(Programs, ThreeFramesHeadlessGiveTheBackBufferAsPng) {
  std::string shot = TempPng(GetParam());
  ProgramRun run = RunProgram(GetParam(), "--frames 3 --screenshot '" + shot + "'");
  ASSERT_EQ(run.exitCode, 0) << run.output;
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
  ProgramRun help = RunProgram(GetParam(), "--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("--screenshot"), std::string::npos);
  ProgramRun wrong = RunProgram(GetParam(), "--frames zero");
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.output.find("--frames"), std::string::npos);
}

TEST_P(Programs, AnUnwritableScreenshotIsAFailure) {
  ProgramRun run = RunProgram(GetParam(), "--frames 1 --screenshot /nonexistent-folder/shot.png");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("shot.png"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothViewers, Programs, ::testing::Values("actorviewer", "propviewer"));

}  // namespace
