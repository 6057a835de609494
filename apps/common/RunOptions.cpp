#include "common/RunOptions.h"

#include <d3dx9.h>
#include <shellapi.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/ProgramMessages.h"
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
    std::fprintf(stderr, "  --set N                play animation set N of the model (default 0)\n");
  std::fprintf(stderr,
               "  --scale S              draw the model S times its size (default %g)\n"
               "  --frames N             close the window after N frames\n"
               "  --screenshot FILE.png  write the last frame's back buffer as PNG\n"
               "  --help                 show this text\n"
               "Without a display (on Linux: neither DISPLAY nor WAYLAND_DISPLAY set), a run with\n"
               "--frames and --screenshot renders offscreen; any other run needs\n"
               "SDL_VIDEODRIVER=offscreen to render headless. Ctrl+C closes the window.\n"
               "Controls: right mouse button orbits, middle button pans, the wheel zooms;\n"
               "W, A, S, D walk the model relative to the camera.\n",
               static_cast<double>(program.defaultScale));
}

bool ParseWhole(const wchar_t* text, unsigned long& value) {
  if (!text[0] || text[0] == L'-' || text[0] == L'+') return false;
  wchar_t* end = nullptr;
  errno = 0;
  value = std::wcstoul(text, &end, 10);
  return end && !*end && errno != ERANGE;
}

bool ParseScale(const wchar_t* text, float& value) {
  wchar_t* end = nullptr;
  value = std::wcstof(text, &end);
  return end && end != text && !*end && std::isfinite(value) && value > 0.0f;
}

}  // namespace

void RunOptions::Reset(const ProgramTraits& program) { *this = RunOptions(), scale_ = program.defaultScale; }

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
    } else if (argument == L"--frames" || argument == L"--set" || argument == L"--scale" ||
               argument == L"--screenshot") {
      if (argument == L"--set" && !program.playsAnimation) {
        mistake = L"unknown option \"--set\"";
      } else if (!value) {
        mistake = argument + L" needs a value";
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
  IDirect3DSurface9* backBuffer = nullptr;
  if (device && SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
      SUCCEEDED(D3DXSaveSurfaceToFileW(screenshot_.c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr))) {
    backBuffer->Release();
    return;
  }
  if (backBuffer) backBuffer->Release();
  Report(ProgramMessage::ScreenshotNotWritten, ToUtf8(screenshot_).c_str(), device ? "" : ": no Direct3D device");
  exitCode_ = 1;
}

void RunOptions::AfterPresent(HWND hwnd) {
  if (frameLimit_ == 0) return;
  if (++framesDone_ == frameLimit_) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
