// shell32: declared with the kernel32 subset (CommandLineToArgvW), and the
// files dropped on a window.
#pragma once

#include <windows.h>

// The files of one drop, handed to the window with WM_DROPFILES (wParam);
// the receiver releases it with DragFinish.
DECLARE_HANDLE(HDROP);

// Whether `hwnd` takes dropped files: only then do drops reach it.
void DragAcceptFiles(HWND hwnd, BOOL accept);
// With `file` 0xFFFFFFFF: the number of files. Otherwise the length of file
// number `file` without its terminating zero, and when `buffer` is not null
// its name copied there, cut to `size` - 1 characters. 0 for a file number
// beyond the drop.
UINT DragQueryFileW(HDROP drop, UINT file, LPWSTR buffer, UINT size);
void DragFinish(HDROP drop);
