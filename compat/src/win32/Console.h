// The console state of the process: a program started through the layer's
// WinMain entry is a GUI program whose standard output goes nowhere until it
// allocates a console.
//
// AllocConsole makes the names "CONOUT$" and "CONIN$" open the terminal (or
// the standard streams the program was started with) and redirects nothing:
// as on Windows, the program reopens stdout on "CONOUT$". FreeConsole only
// forgets the console; reopened streams stay. GetStdHandle's handles are
// tokens that the layer writes nothing through; standard output and input
// are null while a GUI program has no console.
#pragma once

namespace compat::win32 {

// Called by the program entry before WinMain: standard output and input are
// set aside and replaced by the null device.
void StartAsGuiProgram();

// Where the console's devices ("CONOUT$", "CONIN$") are on this host, once
// AllocConsole has run; null for other names.
const char* ConsoleDevicePath(const char* name);

}  // namespace compat::win32
