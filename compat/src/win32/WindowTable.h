// The layer's table of windows (handle to SDL window and Win32 state), the
// thread's message queue, and the pump that turns SDL events into messages.
// Video starts on the driver SDL_VIDEODRIVER names, else on X11 or Wayland as
// DISPLAY and WAYLAND_DISPLAY say, and offscreen only where the program
// allowed it (compat::SetNoDisplayFallback).
#pragma once

#include <SDL.h>
#include <windows.h>

#include <string>
#include <vector>

namespace compat::win32 {

struct WindowRecord {
  int handle = 0;
  SDL_Window* sdlWindow = nullptr;
  WNDPROC procedure = nullptr;
  std::wstring className;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  LONG_PTR userData = 0;
  UINT showCmd = SW_HIDE;
  bool acceptsFiles = false;  // DragAcceptFiles
  bool destroying = false;
};

// Starts SDL's video and event subsystems once; false (with a message on
// standard error) when no video driver works.
bool EnsureVideo();

// The record of a live window, or null.
WindowRecord* FindWindow(HWND hwnd);
HWND AddWindow(const WindowRecord& record);
void RemoveWindow(HWND hwnd);

// The live windows without a parent, in ascending handle order.
std::vector<HWND> TopLevelWindows();

SDL_Window* SdlWindowOf(HWND hwnd);
HWND WindowOfSdlId(Uint32 sdlWindowId);

// Observers see every SDL event the pump takes, before it becomes a message.
using EventObserver = void (*)(const SDL_Event& event);
void AddEventObserver(EventObserver observer);
void RemoveEventObserver(EventObserver observer);
// Hands one event to every observer (the pump calls it for each event).
void NotifyObservers(const SDL_Event& event);

// Gathers the files of one SDL drop (SDL_DROPBEGIN ... SDL_DROPCOMPLETE) and
// posts them as one WM_DROPFILES to a window that accepts files.
void TranslateDropEvent(const SDL_Event& event);

// Moves waiting SDL events into the thread's message queue.
void PumpEvents();

// Frame metrics of a style at 96 DPI, as Windows 10 draws them.
RECT FrameOf(DWORD style, BOOL menu, DWORD exStyle);

}  // namespace compat::win32
