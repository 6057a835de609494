// kernel32 and shell32: module handle, debugger output, console, command
// line, file attributes.
#pragma once

#include <cstdarg>

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

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
// The system's text for the error codes the layer sets, with Windows' words
// and its closing line break. Only FORMAT_MESSAGE_FROM_SYSTEM into the
// caller's buffer; returns the characters written without the zero, or 0.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);

// The program starts like a Windows GUI program: no console, and standard
// output goes nowhere until AllocConsole.
BOOL AllocConsole();
BOOL FreeConsole();
HANDLE GetStdHandle(DWORD stdHandle);

LPWSTR GetCommandLineW();
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc);
HLOCAL LocalFree(HLOCAL memory);

// Code pages: the process's ANSI page is UTF-8 here, as on a Windows set to
// use UTF-8 worldwide. The conversions also take Shift-JIS (932) and
// Windows-1252 (1252); MB_ERR_INVALID_CHARS makes an undefined byte sequence
// fail with ERROR_NO_UNICODE_TRANSLATION instead of decoding to U+FFFD.
#define CP_ACP 0
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR bytes, int byteLength,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteLength, LPWSTR wideText, int wideLength);

// Files by Windows rules (a backslash separates like a slash; a name that
// does not exist as written is matched ignoring the case of ASCII letters):
// what a path is, and the entries of a folder ("folder\*").
#define MAX_PATH 260
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define ERROR_NO_MORE_FILES 18L
typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;
typedef struct _WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;
DWORD GetFileAttributesW(LPCWSTR fileName);
HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData);
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW findData);
BOOL FindClose(HANDLE find);

// Compares two strings code unit by code unit (`count` -1: up to the zero),
// ignoring case as file names do where `ignoreCase`; 0 for bad arguments.
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
int CompareStringOrdinal(LPCWCH string1, int count1, LPCWCH string2, int count2, BOOL ignoreCase);

// The same fields without the name, for GetFileAttributesExW.
typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;
typedef FILETIME* LPFILETIME;
enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel };
#define FILE_ATTRIBUTE_READONLY 0x00000001

// The attributes, times and size of a file or folder, the path by Windows
// rules; FALSE with ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or
// ERROR_ACCESS_DENIED (GetLastError) when it cannot be looked at. Only
// GetFileExInfoStandard.
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation);

DWORD GetTickCount();
// The high-resolution clock: counts since an arbitrary start, and the counts
// per second (fixed while the program runs). Both always succeed.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void Sleep(DWORD milliseconds);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
