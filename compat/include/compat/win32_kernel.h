// kernel32 and shell32: module handle, debugger output, console, command line.
#pragma once

#include "compat/win32_base.h"

#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)

HMODULE GetModuleHandleW(LPCWSTR moduleName);
void OutputDebugStringA(LPCSTR text);
void OutputDebugStringW(LPCWSTR text);
DWORD GetLastError();
void SetLastError(DWORD error);

// The program starts like a Windows GUI program: no console, and standard
// output goes nowhere until AllocConsole.
BOOL AllocConsole();
BOOL FreeConsole();
HANDLE GetStdHandle(DWORD stdHandle);

LPWSTR GetCommandLineW();
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc);
HLOCAL LocalFree(HLOCAL memory);

DWORD GetTickCount();
void Sleep(DWORD milliseconds);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
