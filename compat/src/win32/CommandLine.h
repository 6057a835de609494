// The command line the program was started with, for GetCommandLineW.
#pragma once

namespace compat::win32 {

void SetCommandLine(int argc, char** argv);

}  // namespace compat::win32
