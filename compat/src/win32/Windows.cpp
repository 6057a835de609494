// Windows: creation with the message sequence Windows sends, destruction,
// showing, placement, window data and the title (SetWindowTextW). Each window
// is a real SDL window whose client area is the outer size less the frame of
// its style.
// Accepted but ignored: the answers to WM_GETMINMAXINFO and WM_NCCALCSIZE, a
// parent beyond the handle (a child is its own SDL window and is not
// destroyed with its parent), the menu after creation, SetWindowPos's
// z-order and flags other than SWP_NOMOVE and SWP_NOSIZE, the activation part
// of ShowWindow's commands. Styles set by SetWindowLongPtrW are stored, not
// applied to the SDL window. UpdateWindow sends no WM_PAINT.
#include <windows.h>

#include <cstdio>

#include "common/LayerMessages.h"
#include "common/Unicode.h"
#include "win32/MessageQueue.h"
#include "win32/WindowClasses.h"
#include "win32/WindowTable.h"

using namespace compat::win32;

namespace {

constexpr int kDefaultOuterWidth = 656;
constexpr int kDefaultOuterHeight = 519;

HWND Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const WNDCLASSEXW* windowClass = FindWindowClass(className);
  if (!windowClass) return Fail(ERROR_CANNOT_FIND_WND_CLASS);
  if (parent && !IsWindow(parent)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (!EnsureVideo()) return Fail(ERROR_DEVICE_NOT_CONNECTED);  // no display: EnsureVideo said why

  if (width == CW_USEDEFAULT) width = kDefaultOuterWidth, height = kDefaultOuterHeight;
  RECT frame = FrameOf(style, menu != nullptr, exStyle);
  int clientWidth = width - frame.left - frame.right;
  int clientHeight = height - frame.top - frame.bottom;
  if (clientWidth < 1) clientWidth = 1;
  if (clientHeight < 1) clientHeight = 1;
  int sdlX = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x + frame.left;
  int sdlY = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y + frame.top;

  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if (!(style & WS_CAPTION) && !(style & WS_THICKFRAME)) flags |= SDL_WINDOW_BORDERLESS;
  std::string title = compat::ToUtf8(windowName ? windowName : L"");
  SDL_Window* sdlWindow = SDL_CreateWindow(title.c_str(), sdlX, sdlY, clientWidth, clientHeight, flags);
  if (!sdlWindow) {
    compat::Report(compat::LayerMessage::WindowNotOpened, SDL_GetError());
    return Fail(ERROR_INVALID_WINDOW_HANDLE);
  }

  WindowRecord record;
  record.sdlWindow = sdlWindow;
  record.procedure = windowClass->lpfnWndProc;
  record.className = windowClass->lpszClassName;
  record.style = style & ~WS_VISIBLE;
  record.exStyle = exStyle;
  record.parent = parent;
  HWND hwnd = AddWindow(record);

  CREATESTRUCTW create = {};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = width;
  create.cy = height;
  create.x = x;
  create.y = y;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  MINMAXINFO minMax = {};
  minMax.ptMaxSize = {width, height};
  minMax.ptMaxTrackSize = {width, height};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&minMax));
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    DestroyWindow(hwnd);
    return Fail(ERROR_INVALID_WINDOW_HANDLE);
  }
  RECT client = {0, 0, width, height};
  SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return Fail(ERROR_INVALID_WINDOW_HANDLE);
  }
  if (!IsWindow(hwnd)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record || record->destroying) return FALSE;
  record->destroying = true;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  record = FindWindow(hwnd);
  if (record) {
    SDL_DestroyWindow(record->sdlWindow);
    RemoveWindow(hwnd);
  }
  DropMessagesFor(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FindWindow(hwnd) != nullptr; }

BOOL ShowWindow(HWND hwnd, int command) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) return FALSE;
  BOOL wasVisible = record->showCmd != SW_HIDE;
  switch (command) {
    case SW_HIDE:
      SDL_HideWindow(record->sdlWindow);
      record->showCmd = SW_HIDE;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      SDL_ShowWindow(record->sdlWindow);
      SDL_MinimizeWindow(record->sdlWindow);
      record->showCmd = SW_SHOWMINIMIZED;
      break;
    case SW_SHOWMAXIMIZED:
      SDL_ShowWindow(record->sdlWindow);
      SDL_MaximizeWindow(record->sdlWindow);
      record->showCmd = SW_SHOWMAXIMIZED;
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
      SDL_ShowWindow(record->sdlWindow);
      SDL_RestoreWindow(record->sdlWindow);
      record->showCmd = SW_SHOWNORMAL;
      break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE keep a minimised or maximised state
      SDL_ShowWindow(record->sdlWindow);
      if (record->showCmd == SW_HIDE) record->showCmd = SW_SHOWNORMAL;
      break;
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) { return IsWindow(hwnd); }

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record || !placement) return FALSE;
  placement->flags = 0;
  placement->showCmd = record->showCmd;
  placement->ptMinPosition = {-1, -1};
  placement->ptMaxPosition = {-1, -1};
  GetWindowRect(hwnd, &placement->rcNormalPosition);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record || !rect) return FALSE;
  int w = 0, h = 0;
  SDL_GetWindowSize(record->sdlWindow, &w, &h);
  *rect = {0, 0, w, h};
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record || !rect) return FALSE;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(record->sdlWindow, &x, &y);
  SDL_GetWindowSize(record->sdlWindow, &w, &h);
  RECT frame = FrameOf(record->style, FALSE, record->exStyle);
  *rect = {x - frame.left, y - frame.top, x + w + frame.right, y + h + frame.bottom};
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) return FALSE;
  RECT frame = FrameOf(record->style, FALSE, record->exStyle);
  if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(record->sdlWindow, x + frame.left, y + frame.top);
  if (!(flags & SWP_NOSIZE)) {
    int w = cx - frame.left - frame.right, h = cy - frame.top - frame.bottom;
    SDL_SetWindowSize(record->sdlWindow, w < 1 ? 1 : w, h < 1 ? 1 : h);
  }
  return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SDL_SetWindowTitle(record->sdlWindow, compat::ToUtf8(text ? text : L"").c_str());
  return TRUE;
}

HWND GetForegroundWindow() {
  SDL_Window* focus = SDL_GetKeyboardFocus();
  return focus ? WindowOfSdlId(SDL_GetWindowID(focus)) : nullptr;
}

HWND GetFocus() { return GetForegroundWindow(); }

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_USERDATA:
      return record->userData;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(record->style | (record->showCmd != SW_HIDE ? WS_VISIBLE : 0));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(record->exStyle);
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR previous = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWLP_USERDATA:
      record->userData = value;
      break;
    case GWL_STYLE:
      record->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
      break;
    case GWL_EXSTYLE:
      record->exStyle = static_cast<DWORD>(value);
      break;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
  return previous;
}

// The 32-bit calls keep only the low half, as on 64-bit Windows.
LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}
