// kernel32 and shell32: module handle, debugger output, console, command line.
#pragma once

#include "compat/win32_base.h"

#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)

HMODULE GetModuleHandleW(LPCWSTR moduleName);
// The path of the running program (module null); the length copied, or
// `size` with the text cut short and ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
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

// Code pages: the process's ANSI page is UTF-8 here, as on a Windows set to
// use UTF-8 worldwide.
#define CP_ACP 0
#define CP_UTF8 65001
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR bytes, int byteLength,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

DWORD GetTickCount();
void Sleep(DWORD milliseconds);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
