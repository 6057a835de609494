// The very end of a program's process, after every static object has been
// destroyed (the framework's registries of effects, textures and models
// included).
//
// With XVIEW_LAYER_REPORT set (to anything but "0") in the environment, the
// layer reports on standard error for tests that run a program as a separate
// process: "first frame presented" after the process's first Present, and at
// the very end "live layer objects at exit: N".
#pragma once

namespace compat {

// Writes `line` to standard error when XVIEW_LAYER_REPORT asks for reports.
void LayerReport(const char* line);

// Once the process has run its exit handlers and the live-object report is
// written, it ends by `signal` (its default action) instead of exiting, so
// that its parent sees a program that Ctrl+C or SIGTERM ended.
void EndBySignalAtExit(int signal);

}  // namespace compat
