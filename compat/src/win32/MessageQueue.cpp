// The message queue of the program's one thread, fed by posted messages and
// by SDL events (close box, focus, minimise and restore, mouse and keys,
// dropped files: FileDrop.cpp).
// Not made: WM_PAINT, WM_CHAR (TranslateMessage translates nothing), X button
// and horizontal wheel messages, key messages for keys outside VirtualKeyOf's
// list. Key lParam carries the SDL scancode without repeat count or flags;
// mouse messages carry no MK_ flags, WM_MOUSEWHEEL no position.
// DefWindowProcW answers WM_NCCREATE and destroys on WM_CLOSE; every other
// message gets 0.
#include "win32/MessageQueue.h"

#include <shellapi.h>

#include <deque>

#include "win32/TerminalSignals.h"
#include "win32/WindowTable.h"

namespace compat::win32 {

namespace {

struct Queue {
  std::deque<MSG> messages;
  bool quitPending = false;
  int quitCode = 0;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg = {};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  TheQueue().messages.push_back(msg);
}

LPARAM PointParam(int x, int y) { return MAKELONG(static_cast<short>(x), static_cast<short>(y)); }

WPARAM VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(0x70 + (key - SDLK_F1));
  switch (key) {
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_RETURN: return 0x0D;
    case SDLK_SPACE: return 0x20;
    case SDLK_TAB: return 0x09;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    default: return 0;
  }
}

void TranslateWindowEvent(HWND hwnd, const SDL_WindowEvent& event) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      Post(hwnd, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      if (record->showCmd != SW_HIDE) record->showCmd = SW_SHOWMINIMIZED;
      Post(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      if (record->showCmd != SW_HIDE) record->showCmd = SW_SHOWMAXIMIZED;
      break;
    case SDL_WINDOWEVENT_RESTORED:
      if (record->showCmd != SW_HIDE) record->showCmd = SW_SHOWNORMAL;
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      Post(hwnd, WM_SIZE, record->showCmd == SW_SHOWMAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED,
           PointParam(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_MOVED:
      Post(hwnd, WM_MOVE, 0, PointParam(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Post(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
      Post(hwnd, WM_SETFOCUS, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Post(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
      Post(hwnd, WM_KILLFOCUS, 0, 0);
      break;
    default:
      break;
  }
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (HWND hwnd = WindowOfSdlId(event.window.windowID)) TranslateWindowEvent(hwnd, event.window);
      break;
    case SDL_MOUSEMOTION:
      if (HWND hwnd = WindowOfSdlId(event.motion.windowID))
        Post(hwnd, WM_MOUSEMOVE, 0, PointParam(event.motion.x, event.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      HWND hwnd = WindowOfSdlId(event.button.windowID);
      bool down = event.type == SDL_MOUSEBUTTONDOWN;
      UINT message = 0;
      if (event.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      if (event.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      if (event.button.button == SDL_BUTTON_MIDDLE) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      if (hwnd && message) Post(hwnd, message, 0, PointParam(event.button.x, event.button.y));
      break;
    }
    case SDL_MOUSEWHEEL:
      if (HWND hwnd = WindowOfSdlId(event.wheel.windowID))
        Post(hwnd, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(event.wheel.y * WHEEL_DELTA)) << 16, 0);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (HWND hwnd = WindowOfSdlId(event.key.windowID))
        if (WPARAM key = VirtualKeyOf(event.key.keysym.sym))
          Post(hwnd, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key,
               static_cast<LPARAM>(event.key.keysym.scancode) << 16);
      break;
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE:
      TranslateDropEvent(event);
      break;
    default:
      break;
  }
}

}  // namespace

void PumpEvents() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    NotifyObservers(event);
    Translate(event);
  }
}

void DropMessagesFor(HWND hwnd) {
  auto& messages = TheQueue().messages;
  for (auto it = messages.begin(); it != messages.end();) {
    if (it->hwnd != hwnd) {
      ++it;
      continue;
    }
    // Nobody will finish a drop that never reaches its window.
    if (it->message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(it->wParam));
    it = messages.erase(it);
  }
}

}  // namespace compat::win32

using namespace compat::win32;

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    default:
      return 0;
  }
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = FindWindow(hwnd);
  if (!record || !record->procedure) return 0;
  return record->procedure(hwnd, message, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Post(hwnd, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue& queue = TheQueue();
  queue.quitPending = true;
  queue.quitCode = exitCode;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  CloseWindowsOnTerminalSignal();
  PumpEvents();
  Queue& queue = TheQueue();
  bool anyMessage = filterMin == 0 && filterMax == 0;
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (hwnd && it->hwnd != hwnd) continue;
    if (!anyMessage && (it->message < filterMin || it->message > filterMax)) continue;
    *msg = *it;
    if (removeFlags & PM_REMOVE) queue.messages.erase(it);
    return TRUE;
  }
  // The quit message comes once the queue holds nothing else.
  if (queue.quitPending && (anyMessage || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
    *msg = {};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(queue.quitCode);
    msg->time = GetTickCount();
    if (removeFlags & PM_REMOVE) queue.quitPending = false;
    return TRUE;
  }
  return FALSE;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  while (!PeekMessageW(msg, hwnd, filterMin, filterMax, PM_REMOVE)) SDL_WaitEventTimeout(nullptr, 10);
  return msg->message != WM_QUIT;
}

BOOL TranslateMessage(const MSG* msg) { return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP); }

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
