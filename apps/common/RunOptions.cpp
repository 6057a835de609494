#include "common/RunOptions.h"

#include <d3dx9.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

RunOptions g_RunOptions;

namespace {

void PrintUsage(const wchar_t* programName) {
  std::fwprintf(stderr,
                L"usage: %ls [--frames N] [--screenshot FILE.png] [--help]\n"
                L"  --frames N             close the window after N frames\n"
                L"  --screenshot FILE.png  write the last frame's back buffer as PNG\n"
                L"  --help                 show this text\n"
                L"Without a display (on Linux: neither DISPLAY nor WAYLAND_DISPLAY set), a run with\n"
                L"--frames and --screenshot renders offscreen; any other run needs\n"
                L"SDL_VIDEODRIVER=offscreen to render headless. Ctrl+C closes the window.\n",
                programName);
}

}  // namespace

bool RunOptions::Parse(const wchar_t* programName) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool run = true;
  for (int i = 1; argv && i < argc && run; ++i) {
    std::wstring argument = argv[i];
    bool hasValue = i + 1 < argc;
    if (argument == L"--help" || argument == L"-h") {
      PrintUsage(programName);
      run = false;
    } else if (argument == L"--frames" && hasValue) {
      wchar_t* end = nullptr;
      unsigned long frames = std::wcstoul(argv[++i], &end, 10);
      if (!end || *end || frames == 0 || argv[i][0] == L'-') {
        std::fwprintf(stderr, L"%ls: --frames needs a positive whole number, not \"%ls\"\n", programName, argv[i]);
        exitCode_ = 2;
        run = false;
      }
      frameLimit_ = frames;
    } else if (argument == L"--screenshot" && hasValue) {
      screenshot_ = argv[++i];
    } else {
      std::fwprintf(stderr, L"%ls: unknown or incomplete option \"%ls\"\n", programName, argument.c_str());
      PrintUsage(programName);
      exitCode_ = 2;
      run = false;
    }
  }
  LocalFree(argv);
  // A screenshot without a frame count is taken after the first frame.
  if (run && !screenshot_.empty() && frameLimit_ == 0) frameLimit_ = 1;
  return run;
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
  std::fwprintf(stderr, L"cannot write the screenshot \"%ls\"%ls\n", screenshot_.c_str(),
                device ? L"" : L": no Direct3D device");
  exitCode_ = 1;
}

void RunOptions::AfterPresent(HWND hwnd) {
  if (frameLimit_ == 0) return;
  if (++framesDone_ == frameLimit_) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
