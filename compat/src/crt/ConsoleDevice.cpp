#include "crt/ConsoleDevice.h"

namespace compat {

namespace {

std::string& OutputDevice() {
  static std::string path = "/dev/tty";
  return path;
}

std::string& InputDevice() {
  static std::string path = "/dev/tty";
  return path;
}

}  // namespace

void SetConsoleDevice(const std::string& outputPath, const std::string& inputPath) {
  OutputDevice() = outputPath;
  InputDevice() = inputPath;
}

const std::string& ConsoleOutputDevice() { return OutputDevice(); }
const std::string& ConsoleInputDevice() { return InputDevice(); }

}  // namespace compat
