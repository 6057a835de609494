#include "win32/WindowTable.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "common/LayerMessages.h"
#include "compat/display.h"
#include "compat/testing_win32.h"
#include "win32/CommandLine.h"

namespace compat::win32 {

namespace {

struct Table {
  std::map<int, WindowRecord> windows;
  int nextHandle = 1;
  std::vector<EventObserver> observers;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

namespace {

// "actorviewer: " before the layer's own messages, once the entry has named the program.
std::string MessagePrefix() {
  std::string name = ProgramName();
  return name.empty() ? std::string("video: ") : name + ": ";
}

struct NoDisplayFallback {
  std::string hint = "set SDL_VIDEODRIVER=offscreen to render without one.";
  bool renderOffscreen = false;
};
NoDisplayFallback& Fallback() {
  static NoDisplayFallback fallback;
  return fallback;
}

// Which video driver to start: the one SDL_VIDEODRIVER names, or else the
// driver of the display the environment names (X11 through DISPLAY, Wayland
// through WAYLAND_DISPLAY). Without either there is no display, and SDL's own
// last resort, rendering offscreen where nobody sees it, is taken only when
// the program allowed it for this run.
bool StartVideo() {
  const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (requested && *requested) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
    compat::Report(compat::LayerMessage::VideoDriverNotStarted, MessagePrefix().c_str(), requested, SDL_GetError());
    return false;
  }
  const char* x11 = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  std::string drivers, displays;
  if (x11 && *x11) drivers = "x11", displays = std::string("DISPLAY=") + x11;
  if (wayland && *wayland) {
    drivers += drivers.empty() ? "wayland" : ",wayland";
    displays += (displays.empty() ? "WAYLAND_DISPLAY=" : ", WAYLAND_DISPLAY=") + std::string(wayland);
  }
  if (drivers.empty() && Fallback().renderOffscreen) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
    compat::Report(compat::LayerMessage::OffscreenNotStarted, MessagePrefix().c_str(), SDL_GetError());
    return false;
  }
  if (drivers.empty()) {
    const std::string prefix = MessagePrefix();
    compat::Report(compat::LayerMessage::NoDisplay, prefix.c_str(), prefix.c_str(), Fallback().hint.c_str());
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
  compat::Report(compat::LayerMessage::DisplayNotOpened, MessagePrefix().c_str(), displays.c_str(), SDL_GetError());
  return false;
}

}  // namespace

}  // namespace compat::win32

void compat::SetNoDisplayFallback(const char* hint, bool renderOffscreen) {
  if (hint && *hint) win32::Fallback().hint = hint;
  win32::Fallback().renderOffscreen = renderOffscreen;
}

namespace compat::win32 {

bool EnsureVideo() {
  static int state = 0;  // 0 not tried, 1 ready, -1 failed
  if (state == 0) state = StartVideo() ? 1 : -1;
  return state == 1;
}

WindowRecord* FindWindow(HWND hwnd) {
  auto& windows = TheTable().windows;
  auto it = windows.find(static_cast<int>(reinterpret_cast<intptr_t>(hwnd)));
  return it == windows.end() ? nullptr : &it->second;
}

HWND AddWindow(const WindowRecord& record) {
  Table& table = TheTable();
  int handle = table.nextHandle++;
  WindowRecord& stored = table.windows[handle];
  stored = record;
  stored.handle = handle;
  return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
}

void RemoveWindow(HWND hwnd) { TheTable().windows.erase(static_cast<int>(reinterpret_cast<intptr_t>(hwnd))); }

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  for (auto& [handle, record] : TheTable().windows)
    if (!record.parent && !record.destroying) windows.push_back(reinterpret_cast<HWND>(static_cast<intptr_t>(handle)));
  return windows;
}

SDL_Window* SdlWindowOf(HWND hwnd) {
  WindowRecord* record = FindWindow(hwnd);
  return record ? record->sdlWindow : nullptr;
}

HWND WindowOfSdlId(Uint32 sdlWindowId) {
  for (auto& [handle, record] : TheTable().windows)
    if (record.sdlWindow && SDL_GetWindowID(record.sdlWindow) == sdlWindowId)
      return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
  return nullptr;
}

void AddEventObserver(EventObserver observer) {
  auto& observers = TheTable().observers;
  if (std::find(observers.begin(), observers.end(), observer) == observers.end()) observers.push_back(observer);
}

void RemoveEventObserver(EventObserver observer) {
  auto& observers = TheTable().observers;
  observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

void NotifyObservers(const SDL_Event& event) {
  for (EventObserver observer : std::vector<EventObserver>(TheTable().observers)) observer(event);
}

}  // namespace compat::win32

namespace compat::testing {

void PumpWindowEvents() { win32::PumpEvents(); }

SDL_Window* SdlWindowOf(HWND window) { return win32::SdlWindowOf(window); }

}  // namespace compat::testing
