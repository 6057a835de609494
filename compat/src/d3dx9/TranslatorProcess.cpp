#include "d3dx9/TranslatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "compat/testing_draw.h"
#include "d3dx9/InstalledFiles.h"

extern char** environ;

namespace compat::d3dx9 {

namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t g_runs = 0;

// A file descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The effect's text in an anonymous file, to be the translator's standard
// input: the translator can read it whenever it likes, and nothing here
// waits on it to do so.
int TextFile(std::string_view text) {
  const int fd = ::memfd_create("effect", MFD_CLOEXEC);
  if (fd < 0) return -1;
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      ::close(fd);
      return -1;
    }
    done += static_cast<std::size_t>(written);
  }
  if (::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Everything written to `fd` until its writer closes it. False where that
// has not happened by `deadline`, or where more than the most comes.
bool ReadAllBefore(int fd, Clock::time_point deadline, std::string& bytes, bool& tooLarge) {
  char block[1 << 16];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return false;
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxRecordBytes) {
      tooLarge = true;
      return false;
    }
    bytes.append(block, static_cast<std::size_t>(got));
  }
}

// How `child` ended, waiting for it until `deadline`; false where it is
// still running then.
bool EndBefore(pid_t child, Clock::time_point deadline, int& status) {
  for (;;) {
    const pid_t waited = ::waitpid(child, &status, WNOHANG);
    if (waited == child) return true;
    if (waited < 0 && errno != EINTR) {
      status = 0;
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void Reap(pid_t child, int& status) {
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

// Starts the translator with `input` as its standard input and `output` as
// its standard output; 0 on success, else the error.
int Spawn(const std::string& translator, const std::vector<std::string>& arguments, int input, int output,
          pid_t& child) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // None of the program's other files (its display, its GL device).
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  // The program's signal handlers and blocked signals are its own.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int error = ::posix_spawn(&child, translator.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace

std::string EffectTranslatorPath() {
  const char* chosen = std::getenv("XVIEW_EFFECT_TRANSLATOR");
  return chosen && *chosen ? std::string(chosen) : InstalledTranslator();
}

Translation RunEffectTranslator(const std::string& fileName, std::string_view text, const Defines& defines,
                                bool mapDepth, std::string& answer) {
  answer.clear();
  const std::string translator = EffectTranslatorPath();
  auto failed = [&](const std::string& what) {
    answer = fileName + ": " + what;
    return Translation::Failed;
  };
  if (translator.empty()) return failed("the effect translator cannot be found (the program's own folder is unknown)");
  std::vector<std::string> arguments{translator, "--stdin"};
  if (mapDepth) arguments.push_back("--map-depth");
  for (const auto& [name, value] : defines) arguments.insert(arguments.end(), {"-D", name + "=" + value});
  arguments.push_back(fileName);

  Descriptor input(TextFile(text));
  int ends[2];
  if (input.get() < 0 || ::pipe2(ends, O_CLOEXEC) != 0)
    return failed(std::string("the effect translator cannot be started (") + std::strerror(errno) + ")");
  Descriptor reading(ends[0]), writing(ends[1]);
  pid_t child = 0;
  ++g_runs;
  if (const int error = Spawn(translator, arguments, input.get(), writing.get(), child); error != 0)
    return failed("the effect translator " + translator +
                  (error == ENOENT ? std::string(" is missing") : std::string(" cannot be started")) + " (" +
                  std::strerror(error) + ")");
  writing.Close();
  input.Close();

  const auto deadline = Clock::now() + std::chrono::seconds(kTranslatorSeconds);
  bool tooLarge = false;
  int status = 0;
  const bool ended = ReadAllBefore(reading.get(), deadline, answer, tooLarge) && EndBefore(child, deadline, status);
  if (!ended) {
    ::kill(child, SIGKILL);
    Reap(child, status);
    return failed(tooLarge ? "the effect translator handed back more than " + std::to_string(kMaxRecordBytes >> 20) +
                                 " MiB"
                           : "the effect translator did not finish within " + std::to_string(kTranslatorSeconds) +
                                 " s and was stopped");
  }
  if (WIFSIGNALED(status))
    return failed("the effect translator crashed on it (signal " + std::to_string(WTERMSIG(status)) + ", " +
                  strsignal(WTERMSIG(status)) + "); glslang crashes so on some malformed HLSL");
  const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (exitCode == 0) return Translation::Done;
  if (exitCode == 1 && !answer.empty()) return Translation::Refused;
  return failed("the effect translator failed (exit status " + std::to_string(exitCode) + ")");
}

}  // namespace compat::d3dx9

namespace compat::testing {
std::uint64_t EffectTranslatorRuns() { return compat::d3dx9::g_runs; }
}  // namespace compat::testing
