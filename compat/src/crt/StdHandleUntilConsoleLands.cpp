// Stand-in until the console part of the layer lands; removed then.
#include <fcntl.h>

#include <windows.h>

HANDLE GetStdHandle(DWORD stdHandle) {
  int descriptor = stdHandle == STD_INPUT_HANDLE ? 0 : stdHandle == STD_OUTPUT_HANDLE ? 1 : 2;
  return ::fcntl(descriptor, F_GETFD) == -1 ? nullptr : reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(descriptor + 1));
}
