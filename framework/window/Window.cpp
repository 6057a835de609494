#include "window/Window.h"

#include "window/WindowRegistry.h"

Window* g_CreatingWindow = nullptr;
WindowMap g_WindowMap;

namespace {
const bool g_classRegistered = RegisterWindowClass();
}

bool RegisterWindowClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXW);
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon =
      static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.hCursor =
      static_cast<HCURSOR>(LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = L"BASIC_WINDOW";
  windowClass.hIconSm = nullptr;
  return RegisterClassExW(&windowClass) != 0;
}

Window::~Window() {}

bool Window::Create(LPCWSTR title, int width, int height, int x, int y, LPCWSTR className, HWND parent, DWORD style,
                    DWORD exStyle, HMENU menu) {
  style |= parent ? WS_CHILD : WS_CLIPCHILDREN;
  RECT rect = {0, 0, width, height};
  AdjustWindowRectEx(&rect, style, menu != nullptr, exStyle);
  int outerWidth = rect.right - rect.left;
  int outerHeight = rect.bottom - rect.top;

  g_CreatingWindow = this;
  hwnd = CreateWindowExW(exStyle, className, title, style, x, y, outerWidth, outerHeight, parent, menu,
                         GetModuleHandleW(nullptr), nullptr);
  // Creation may have failed before the object was attached to the window.
  g_CreatingWindow = nullptr;
  if (!hwnd) return false;

  g_WindowMap.insert({hwnd, this});
  UpdateWindow(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  return true;
}

LRESULT Window::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, reinterpret_cast<CREATESTRUCTW*>(lParam)) ? 0 : -1;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

int Window::OnCreate(HWND, CREATESTRUCTW*) { return 1; }
void Window::OnClose(HWND window) { DestroyWindow(window); }
void Window::OnDestroy(HWND) { PostQuitMessage(0); }
void Window::OnFrame() {}
void Window::OnDropFiles(HWND, HDROP drop) { DragFinish(drop); }

// The object is stored with the window as pointer-sized window data, which
// survives a 64-bit build.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
    return window->HandleMessage(hwnd, message, wParam, lParam);
  if ((message == WM_CREATE || message == WM_INITDIALOG) && g_CreatingWindow) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g_CreatingWindow));
    LRESULT result = SendMessageW(hwnd, message, wParam, lParam);
    g_CreatingWindow = nullptr;
    return result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
