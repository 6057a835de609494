// Command-line options of the viewers: an optional model file, the animation
// set and the model's scale, the playback and view the keys also change
// (speed, real time, framing, skeleton, wireframe, normals), --watch (show the model
// again when its files change on disk), and for scripts and tests --frames N (close
// after N frames, as if the user had closed the window) and --screenshot
// FILE.png (write the back buffer of the last frame). Without arguments the
// programs show their own model until closed.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

// What differs between the two programs' options.
struct ProgramTraits {
  const wchar_t* name;      // "actorviewer"
  bool playsAnimation;      // offers --set
  float defaultScale;       // the model's scale without --scale
  bool talksOnConsole = false;  // says what the user asked for on its console (standard output)
};

// The keys of the program, as a table of key and action, on `stream`.
void PrintControls(std::FILE* stream, const ProgramTraits& program);

class RunOptions {
 public:
  // Reads the process's command line. False when the program should end at
  // once: for --help, and for a mistake (usage on standard error, with
  // ExitCode 2).
  bool Parse(const ProgramTraits& program);
  // The options of a run without arguments (what Parse starts from).
  void Reset(const ProgramTraits& program);

  // Per frame, after the scene was drawn and before it is presented: on the
  // last frame the back buffer is written to the screenshot file.
  void BeforePresent(IDirect3DDevice9* device);
  // Per frame, after presenting: on the last frame the window is closed.
  void AfterPresent(HWND hwnd);

  int ExitCode() const { return exitCode_; }
  // The model file named on the command line; empty when none was.
  const std::wstring& ModelFile() const { return modelFile_; }
  std::uint32_t AnimationSet() const { return animationSet_; }
  float Scale() const { return scale_; }
  // Ticks per frame (or the factor on the clock in real time); 1 by default.
  double Speed() const { return speed_; }
  bool RealTime() const { return realTime_; }
  // Frame the model once at start.
  bool Fit() const { return fit_; }
  bool Skeleton() const { return skeleton_; }
  bool Wireframe() const { return wireframe_; }
  bool Normals() const { return normals_; }
  // Read the model again whenever its file or one of its textures changes.
  bool Watch() const { return watch_; }
  const ProgramTraits& Program() const { return program_; }
  // A run that ends by itself with a screenshot: needs no display to show on.
  bool EndsWithScreenshot() const { return frameLimit_ != 0 && !screenshot_.empty(); }

 private:
  unsigned long frameLimit_ = 0;  // 0: no limit
  unsigned long framesDone_ = 0;
  std::wstring screenshot_;
  std::wstring modelFile_;
  std::uint32_t animationSet_ = 0;
  float scale_ = 1.0f;
  double speed_ = 1.0;
  bool realTime_ = false;
  bool fit_ = false;
  bool skeleton_ = false;
  bool wireframe_ = false;
  bool watch_ = false;
  bool normals_ = false;
  ProgramTraits program_ = {L"viewer", false, 1.0f};
  int exitCode_ = 0;
};

// The options of this run; the entry parses them, the scenes consult them.
extern RunOptions g_RunOptions;
