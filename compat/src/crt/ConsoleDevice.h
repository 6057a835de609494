// The host file that the console names ("CONOUT$", "CONIN$") stand for. The
// console part of the layer sets it when it attaches a console; until then
// it is the controlling terminal.
#pragma once

#include <string>

namespace compat {

void SetConsoleDevice(const std::string& outputPath, const std::string& inputPath);
const std::string& ConsoleOutputDevice();
const std::string& ConsoleInputDevice();

}  // namespace compat
