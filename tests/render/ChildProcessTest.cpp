#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "d3dx9/ChildProcess.h"

namespace {

using compat::d3dx9::RunInChildProcess;
using namespace std::chrono_literals;

// A child hands back its bytes as written; one that crashes, or that is
// still running after the limit on both tries, ends in a message, and one
// that stalls only the first time (as on a lock held when it was forked) is
// tried again.
TEST(ChildProcess, HandsBackItsBytesAndOutlivesCrashesAndStalls) {
  std::string output, failure;
  const std::string bytes("a\0b", 3);
  EXPECT_TRUE(RunInChildProcess([&](std::string& out) { out = bytes; }, 5s, output, failure));
  EXPECT_EQ(output, bytes);

  EXPECT_FALSE(RunInChildProcess([](std::string&) { std::raise(SIGSEGV); }, 5s, output, failure));
  EXPECT_EQ(failure, "it was killed by signal 11");

  const std::filesystem::path marker =
      std::filesystem::temp_directory_path() / ("child-stalled-" + std::to_string(getpid()));
  std::filesystem::remove(marker);
  auto stallOnce = [&](std::string& out) {
    if (!std::filesystem::exists(marker)) {
      std::ofstream(marker) << "stalled";
      for (;;) pause();
    }
    out = "done";
  };
  failure.clear();
  EXPECT_TRUE(RunInChildProcess(stallOnce, 300ms, output, failure)) << failure;
  EXPECT_EQ(output, "done");
  std::filesystem::remove(marker);

  EXPECT_FALSE(RunInChildProcess([](std::string&) { for (;;) pause(); }, 300ms, output, failure));
  EXPECT_EQ(failure, "it did not finish within 300 ms");
}

}  // namespace
