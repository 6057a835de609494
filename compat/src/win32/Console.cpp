#include "win32/Console.h"

#include <fcntl.h>
#include <unistd.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "compat/testing_win32.h"

namespace compat::win32 {

namespace {

struct ConsoleState {
  bool guiProgram = false;
  bool withoutConsole = false;  // a test's: the handles are a GUI program's, the streams stay
  bool allocated = false;
  int savedOutput = -1;  // the standard output the process was started with
  int savedInput = -1;
  std::string outputPath, inputPath;
};

ConsoleState& State() {
  static ConsoleState state;
  return state;
}

bool TerminalAvailable() {
  int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

void StartAsGuiProgram() {
  ConsoleState& state = State();
  state.guiProgram = true;
  std::fflush(stdout);
  state.savedOutput = ::dup(STDOUT_FILENO);
  state.savedInput = ::dup(STDIN_FILENO);
  int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDIN_FILENO);
    ::close(null);
  }
}

const char* ConsoleDevicePath(const char* name) {
  ConsoleState& state = State();
  if (!state.allocated || !name) return nullptr;
  std::string device = name;
  for (char& c : device) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  // The console is the terminal the program was started from; without one it
  // is the standard output and input the program was started with.
  if (device == "CONOUT$") {
    state.outputPath = TerminalAvailable() ? "/dev/tty" : "/dev/fd/" + std::to_string(state.savedOutput);
    return state.outputPath.c_str();
  }
  if (device == "CONIN$") {
    state.inputPath = TerminalAvailable() ? "/dev/tty" : "/dev/fd/" + std::to_string(state.savedInput);
    return state.inputPath.c_str();
  }
  return nullptr;
}

}  // namespace compat::win32

using compat::win32::State;

BOOL AllocConsole() {
  auto& state = State();
  if (state.allocated) {
    SetLastError(ERROR_ACCESS_DENIED);  // the process already has a console
    return FALSE;
  }
  if (state.savedOutput < 0) state.savedOutput = ::dup(STDOUT_FILENO);
  if (state.savedInput < 0) state.savedInput = ::dup(STDIN_FILENO);
  state.allocated = true;
  return TRUE;
}

BOOL FreeConsole() {
  auto& state = State();
  if (!state.allocated) return FALSE;
  state.allocated = false;
  return TRUE;
}

HANDLE GetStdHandle(DWORD stdHandle) {
  auto& state = State();
  int fd = stdHandle == STD_OUTPUT_HANDLE ? 1 : stdHandle == STD_INPUT_HANDLE ? 0 : stdHandle == STD_ERROR_HANDLE ? 2 : -1;
  if (fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  // A GUI program has no standard input or output until it has a console.
  if ((state.guiProgram || state.withoutConsole) && !state.allocated && fd != 2) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1000 + fd));
}

namespace compat::testing {

void RunWithoutConsole(bool without) { win32::State().withoutConsole = without; }

}  // namespace compat::testing
