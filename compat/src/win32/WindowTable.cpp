#include "win32/WindowTable.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

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

bool EnsureVideo() {
  static int state = 0;  // 0 not tried, 1 ready, -1 failed
  if (state == 0) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) {
      state = 1;
    } else {
      std::fprintf(stderr, "video: SDL could not start a video driver: %s\n", SDL_GetError());
      state = -1;
    }
  }
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
