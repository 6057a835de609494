#include "d3dx9/ChildProcess.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>

namespace compat::d3dx9 {

namespace {

// Writes all of `bytes`; false where the pipe closed first.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

constexpr int kTries = 2;

// Everything the child writes, up to its end of the pipe; false where it has
// not closed that end by `deadline`.
bool ReadAllBefore(int fd, std::chrono::steady_clock::time_point deadline, std::string& bytes) {
  char block[1 << 16];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) return false;
    const ssize_t got = read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    bytes.append(block, static_cast<std::size_t>(got));
  }
}

// What the child hands back: the length of its output, then the output;
// anything shorter is a child that did not finish.
constexpr std::size_t kHeaderBytes = sizeof(std::uint64_t);

std::string HowItEnded(pid_t child) {
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited < 0) return "it could not be waited for";
  if (WIFSIGNALED(status)) return "it was killed by signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
    return "it exited with status " + std::to_string(WEXITSTATUS(status));
  return "";
}

// One try of RunInChildProcess; `stuck` where the child was killed for
// taking too long.
bool RunOnce(const std::function<void(std::string& output)>& work, std::chrono::milliseconds limit,
             std::string& output, std::string& failure, bool& stuck) {
  output.clear();
  stuck = false;
  int ends[2];
  if (pipe(ends) != 0) {
    work(output);
    return true;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(ends[0]);
    close(ends[1]);
    work(output);
    return true;
  }
  if (child == 0) {
    // The child: only the work and the pipe. A crash ends it quietly, with
    // none of the program's crash handlers, and _exit leaves the program's
    // buffers and exit handlers to the program.
    for (int crash : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) std::signal(crash, SIG_DFL);
    close(ends[0]);
    std::string bytes;
    work(bytes);
    const std::uint64_t size = bytes.size();
    const bool sent = WriteAll(ends[1], reinterpret_cast<const char*>(&size), sizeof size) &&
                      WriteAll(ends[1], bytes.data(), bytes.size());
    _exit(sent ? 0 : 1);
  }
  close(ends[1]);
  std::string bytes;
  const bool finished = ReadAllBefore(ends[0], std::chrono::steady_clock::now() + limit, bytes);
  close(ends[0]);
  if (!finished) kill(child, SIGKILL);
  const std::string ending = HowItEnded(child);
  if (!finished) {
    stuck = true;
    failure = "it did not finish within " + std::to_string(limit.count()) + " ms";
    return false;
  }
  std::uint64_t size = 0;
  if (bytes.size() >= kHeaderBytes) std::memcpy(&size, bytes.data(), sizeof size);
  if (!ending.empty() || bytes.size() < kHeaderBytes || bytes.size() - kHeaderBytes != size) {
    failure = ending.empty() ? "it ended without handing back its output" : ending;
    return false;
  }
  output = bytes.substr(kHeaderBytes);
  return true;
}

}  // namespace

bool RunInChildProcess(const std::function<void(std::string& output)>& work, std::chrono::milliseconds limit,
                       std::string& output, std::string& failure) {
  for (int tries = 0; tries < kTries; ++tries) {
    bool stuck = false;
    if (RunOnce(work, limit, output, failure, stuck)) return true;
    if (!stuck) return false;
  }
  return false;
}

}  // namespace compat::d3dx9
