#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace e2e {

namespace {

// Sanitizer builds start slowly; a run that takes longer than this hangs.
constexpr auto kRunLimit = std::chrono::seconds(120);
constexpr auto kFramesBeforeSignal = std::chrono::milliseconds(300);

[[noreturn]] void StartChild(const Launch& launch, int output) {
  ::setsid();  // no controlling terminal: the console falls back to the captured output
  ::dup2(output, STDOUT_FILENO);
  ::dup2(output, STDERR_FILENO);
  ::close(output);
  std::string folder = launch.folder.empty() ? XVIEW_SOURCE_DIR "/assets" : launch.folder;
  if (::chdir(folder.c_str()) != 0) ::_exit(126);
  for (const std::string& name : launch.unset) ::unsetenv(name.c_str());
  for (const auto& [name, value] : launch.set) ::setenv(name.c_str(), value.c_str(), 1);
  ::setenv("XVIEW_LAYER_REPORT", "1", 1);
  std::string path = XVIEW_BINARY_DIR "/apps/" + launch.program;
  std::vector<char*> argv{path.data()};
  std::vector<std::string> arguments = launch.arguments;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  ::execv(path.c_str(), argv.data());
  ::_exit(127);
}

}  // namespace

Outcome Run(const Launch& launch) {
  Outcome outcome;
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return outcome;
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    StartChild(launch, pipe[1]);
  }
  ::close(pipe[1]);
  if (child < 0) {
    ::close(pipe[0]);
    return outcome;
  }

  const auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point firstFrame{};
  bool signalled = launch.signal == 0;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start > kRunLimit) {
      outcome.timedOut = true;
      ::kill(child, SIGKILL);
      break;
    }
    if (!signalled && firstFrame != std::chrono::steady_clock::time_point{} &&
        now - firstFrame >= kFramesBeforeSignal) {
      ::kill(child, launch.signal);
      signalled = true;
    }
    pollfd wait{pipe[0], POLLIN, 0};
    if (::poll(&wait, 1, 20) <= 0) continue;
    char buffer[4096];
    ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
    if (got <= 0) break;  // the program and everything it started are done
    outcome.output.append(buffer, static_cast<std::size_t>(got));
    if (firstFrame == std::chrono::steady_clock::time_point{} &&
        outcome.output.find("first frame presented\n") != std::string::npos)
      firstFrame = std::chrono::steady_clock::now();
  }
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

std::string AssetsCopy(const std::string& leaveOut) {
  std::string pattern = (std::filesystem::temp_directory_path() / "e2e-assets-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return {};
  for (const auto& entry : std::filesystem::directory_iterator(XVIEW_SOURCE_DIR "/assets"))
    if (entry.path().filename() != leaveOut)
      std::filesystem::copy(entry.path(), std::filesystem::path(pattern) / entry.path().filename());
  return pattern;
}

}  // namespace e2e
