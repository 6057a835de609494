// Command-line options of the viewers, for users and for tests: --frames N
// closes the window after N frames as if the user had closed it, and
// --screenshot FILE.png writes the back buffer of the last frame as PNG.
// Without arguments the programs run until closed.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <string>

class RunOptions {
 public:
  // Reads the process's command line. False when the program should end at
  // once: for --help, and for a mistake (reported on standard error, with
  // ExitCode 2).
  bool Parse(const wchar_t* programName);

  // Per frame, after the scene was drawn and before it is presented: on the
  // last frame the back buffer is written to the screenshot file.
  void BeforePresent(IDirect3DDevice9* device);
  // Per frame, after presenting: on the last frame the window is closed.
  void AfterPresent(HWND hwnd);

  int ExitCode() const { return exitCode_; }
  // A run that ends by itself with a screenshot: needs no display to show on.
  bool EndsWithScreenshot() const { return frameLimit_ != 0 && !screenshot_.empty(); }

 private:
  unsigned long frameLimit_ = 0;  // 0: no limit
  unsigned long framesDone_ = 0;
  std::wstring screenshot_;
  int exitCode_ = 0;
};

// The options of this run; the scenes consult them once per frame.
extern RunOptions g_RunOptions;
