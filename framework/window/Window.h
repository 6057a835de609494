// The window layer: a Window base class whose virtual handlers receive the
// window's messages, the window procedure of class "BASIC_WINDOW", and the
// object whose Create call is in progress.
#pragma once

#include <windows.h>
#include <shellapi.h>

class Window {
 public:
  virtual ~Window();

  // Builds the native window around a client area of width x height; true
  // when the window exists.
  virtual bool Create(LPCWSTR title, int width, int height, int x, int y, LPCWSTR className, HWND parent,
                      DWORD style, DWORD exStyle, HMENU menu);
  virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  virtual int OnCreate(HWND hwnd, CREATESTRUCTW* createStruct);
  virtual void OnClose(HWND hwnd);
  virtual void OnDestroy(HWND hwnd);
  virtual void OnFrame();
  // Files dropped on a window that accepts them (DragAcceptFiles). The
  // handler owns `drop`; the base releases it with DragFinish.
  virtual void OnDropFiles(HWND hwnd, HDROP drop);

  HWND GetHandle() const { return hwnd; }

 protected:
  HWND hwnd = nullptr;
};

// The window procedure of class "BASIC_WINDOW".
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "BASIC_WINDOW"; runs during static initialisation.
bool RegisterWindowClass();

extern Window* g_CreatingWindow;
