// The command line the program was started with, for GetCommandLineW.
#pragma once

namespace compat::win32 {

void SetCommandLine(int argc, char** argv);

// The program's file name without its folder ("actorviewer"), for the
// layer's own messages; empty until SetCommandLine has run.
const char* ProgramName();

}  // namespace compat::win32
