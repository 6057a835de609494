#include "common/RunOptions.h"

#include <d3dx9.h>
#include <shellapi.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/ProgramMessages.h"
#include "common/Screenshots.h"
#include "platform/TextConversion.h"

RunOptions g_RunOptions;

namespace {

// On standard error: a program started as a Windows program has no standard
// output until it opens a console.
void PrintUsage(const ProgramTraits& program) {
  std::string name = ToUtf8(program.name);
  std::fprintf(stderr, "usage: %s [options] [MODEL.x]\n", name.c_str());
  std::fprintf(stderr, "  MODEL.x                the model to show (default \"%s\" in this folder)\n",
               program.playsAnimation ? "miko.x" : "squarepolygon.x");
  if (program.playsAnimation)
    std::fprintf(stderr,
                 "  --set N                play animation set N of the model (default 0)\n"
                 "  --speed R              play R times as fast: R key ticks per frame (default 1)\n"
                 "  --realtime             play at the file's ticks per second, whatever the frame rate\n"
                 "  --skeleton             show the skeleton over the model\n");
  std::fprintf(stderr,
               "  --scale S              draw the model S times its size (default %g)\n"
               "  --fit                  frame the model in view at start\n"
               "  --wireframe            draw the model as wireframe\n"
               "  --normals              show each vertex's normal as a short line\n"
               "  --watch                show the model again whenever its file or a texture changes\n"
               "  --frames N             close the window after N frames\n"
               "  --screenshot FILE.png  write the last frame's back buffer as PNG\n"
               "  --help                 show this text\n"
               "Without a display (on Linux: neither DISPLAY nor WAYLAND_DISPLAY set), a run with\n"
               "--frames and --screenshot renders offscreen; any other run needs\n"
               "SDL_VIDEODRIVER=offscreen to render headless. Ctrl+C closes the window.\n"
               "Drop a model file on the window to open it in place of the one shown.\n",
               static_cast<double>(program.defaultScale));
  PrintControls(stderr, program);
}

bool ParseWhole(const wchar_t* text, unsigned long& value) {
  if (!text[0] || text[0] == L'-' || text[0] == L'+') return false;
  wchar_t* end = nullptr;
  errno = 0;
  value = std::wcstoul(text, &end, 10);
  return end && !*end && errno != ERANGE;
}

bool ParseSpeed(const wchar_t* text, double& value) {
  wchar_t* end = nullptr;
  value = std::wcstod(text, &end);
  return end && end != text && !*end && std::isfinite(value) && value > 0.0;
}

bool ParseScale(const wchar_t* text, float& value) {
  wchar_t* end = nullptr;
  value = std::wcstof(text, &end);
  return end && end != text && !*end && std::isfinite(value) && value > 0.0f;
}

}  // namespace

void PrintControls(std::FILE* stream, const ProgramTraits& program) {
  // Keys are named by their place on a US keyboard, as DirectInput reads them.
  std::fprintf(stream,
               "Controls (keys by their position on a US keyboard):\n"
               "  right mouse button + move      orbit the camera\n"
               "  middle mouse button + move     pan the camera\n"
               "  mouse wheel                    zoom\n"
               "  W / A / S / D                  walk the model relative to the camera\n");
  if (program.playsAnimation)
    std::fprintf(stream,
                 "  Space                          pause / resume the animation\n"
                 "  Left / Right                   while paused, previous / next key time (hold to repeat)\n"
                 "  Page Down / Page Up            next / previous animation set\n"
                 "  = or keypad + / - or keypad -  play twice / half as fast\n"
                 "  T                              real time on / off (the file's ticks per second)\n"
                 "  B                              skeleton on / off\n");
  std::fprintf(stream,
               "  F                              frame the model in view\n"
               "  X                              wireframe on / off\n"
               "  N                              normals on / off (a short line along each vertex's normal)\n"
               "  F12                            save a screenshot as %s-0001.png (the next free number)\n"
               "  I                              what the model holds: meshes, frames, bones, animation, textures\n"
               "  H or F1                        show these controls\n"
               "  Escape                         close the window\n",
               ToUtf8(program.name).c_str());
  std::fflush(stream);
}

void RunOptions::Reset(const ProgramTraits& program) {
  *this = RunOptions();
  scale_ = program.defaultScale;
  program_ = program;
}

bool RunOptions::Parse(const ProgramTraits& program) {
  Reset(program);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring mistake;
  bool help = false;
  for (int i = 1; argv && i < argc && mistake.empty() && !help; ++i) {
    std::wstring argument = argv[i];
    const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long whole = 0;
    if (argument == L"--help" || argument == L"-h") {
      help = true;
    } else if (argument == L"--realtime" || argument == L"--skeleton") {
      if (!program.playsAnimation) mistake = L"unknown option \"" + argument + L"\"";
      (argument == L"--realtime" ? realTime_ : skeleton_) = true;
    } else if (argument == L"--fit") {
      fit_ = true;
    } else if (argument == L"--wireframe") {
      wireframe_ = true;
    } else if (argument == L"--watch") {
      watch_ = true;
    } else if (argument == L"--normals") {
      normals_ = true;
    } else if (argument == L"--frames" || argument == L"--set" || argument == L"--scale" ||
               argument == L"--screenshot" || argument == L"--speed") {
      if ((argument == L"--set" || argument == L"--speed") && !program.playsAnimation) {
        mistake = L"unknown option \"" + argument + L"\"";
      } else if (!value) {
        mistake = argument + L" needs a value";
      } else if (argument == L"--speed") {
        if (!ParseSpeed(value, speed_))
          mistake = L"--speed needs a positive number, not \"" + std::wstring(value) + L"\"";
      } else if (argument == L"--frames") {
        if (!ParseWhole(value, whole) || whole == 0)
          mistake = L"--frames needs a positive whole number, not \"" + std::wstring(value) + L"\"";
        frameLimit_ = whole;
      } else if (argument == L"--set") {
        if (!ParseWhole(value, whole) || whole > UINT32_MAX)
          mistake = L"--set needs a whole number, not \"" + std::wstring(value) + L"\"";
        animationSet_ = static_cast<std::uint32_t>(whole);
      } else if (argument == L"--scale") {
        if (!ParseScale(value, scale_))
          mistake = L"--scale needs a positive number, not \"" + std::wstring(value) + L"\"";
      } else {
        screenshot_ = value;
      }
      ++i;
    } else if (argument.size() > 1 && argument[0] == L'-') {
      mistake = L"unknown option \"" + argument + L"\"";
    } else if (!modelFile_.empty()) {
      mistake = L"one model file at a time: \"" + modelFile_ + L"\" and \"" + argument + L"\"";
    } else {
      modelFile_ = argument;
    }
  }
  LocalFree(argv);
  if (help) {
    PrintUsage(program);
    return false;
  }
  if (!mistake.empty()) {
    Report(ProgramMessage::CommandLineMistake, ToUtf8(program.name).c_str(), ToUtf8(mistake).c_str());
    PrintUsage(program);
    exitCode_ = 2;
    return false;
  }
  // A screenshot without a frame count is taken after the first frame.
  if (!screenshot_.empty() && frameLimit_ == 0) frameLimit_ = 1;
  return true;
}

void RunOptions::BeforePresent(IDirect3DDevice9* device) {
  if (frameLimit_ == 0 || framesDone_ + 1 != frameLimit_ || screenshot_.empty()) return;
  if (SaveBackBuffer(device, screenshot_)) return;
  Report(ProgramMessage::ScreenshotNotWritten, ToUtf8(screenshot_).c_str(), device ? "" : ": no Direct3D device");
  exitCode_ = 1;
}

void RunOptions::AfterPresent(HWND hwnd) {
  if (frameLimit_ == 0) return;
  if (++framesDone_ == frameLimit_) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
