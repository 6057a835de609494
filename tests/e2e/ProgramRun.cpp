#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace e2e {

namespace {

// Sanitizer builds start slowly; a run that takes longer than this hangs.
constexpr auto kRunLimit = std::chrono::seconds(120);
constexpr auto kFramesBeforeSignal = std::chrono::milliseconds(300);

// Starts the program with its output into `output`, in its own session (no
// controlling terminal: the console falls back to the captured output).
// posix_spawn, never a fork of this test, which may run threads.
pid_t StartProgram(const Launch& launch, int output) {
  std::string folder = launch.folder.empty() ? XVIEW_SOURCE_DIR "/assets" : launch.folder;
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    std::string variable = *entry;
    std::string name = variable.substr(0, variable.find('='));
    bool replaced = name == "XVIEW_LAYER_REPORT";
    for (const std::string& unset : launch.unset) replaced |= name == unset;
    for (const auto& [set, value] : launch.set) replaced |= name == set;
    if (!replaced) environment.push_back(variable);
  }
  for (const auto& [name, value] : launch.set) environment.push_back(name + "=" + value);
  if (launch.layerReport) environment.push_back("XVIEW_LAYER_REPORT=1");
  std::string path = launch.executable.empty() ? XVIEW_BINARY_DIR "/apps/" + launch.program : launch.executable;
  std::vector<std::string> arguments = launch.arguments;
  arguments.insert(arguments.begin(), path);
  auto pointers = [](std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (std::string& text : strings) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
  };
  std::vector<char*> argv = pointers(arguments), envp = pointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = -1;
  if (::posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), envp.data()) != 0) child = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

}  // namespace

Outcome Run(const Launch& launch) {
  Outcome outcome;
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return outcome;
  pid_t child = StartProgram(launch, pipe[1]);
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
