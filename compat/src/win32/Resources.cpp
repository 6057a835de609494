// Stock resources (the application icon, the arrow cursor, stock brushes) and
// the message box. LoadImageW knows only the shared IDI_APPLICATION and
// IDC_ARROW (size and flags ignored); its handles and GetStockObject's are
// tokens that nothing draws with. MessageBoxW reads only the icon bits (error,
// warning, otherwise information), shows an OK box and returns IDOK whatever
// buttons were asked for.
#include <SDL.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/LayerMessages.h"
#include "common/Unicode.h"
#include "compat/testing_win32.h"
#include "win32/WindowTable.h"

namespace {

std::vector<compat::testing::ShownMessageBox>& ShownBoxes() {
  static std::vector<compat::testing::ShownMessageBox> boxes;
  return boxes;
}

bool CanShowDialogs() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace

namespace compat::testing {
std::vector<ShownMessageBox> TakeMessageBoxes() { return std::move(ShownBoxes()); }
}  // namespace compat::testing

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT) {
  // Only the system's shared images are known; they are identified by number.
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  auto id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
  if ((type == IMAGE_ICON && id == 32512) || (type == IMAGE_CURSOR && id == 32512))
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x10000 * (type + 1) + id));
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object > 19) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(0x20000 + object));
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::wstring body = text ? text : L"";
  std::wstring title = caption ? caption : L"Error";  // Windows' default caption
  ShownBoxes().push_back({body, title, type});

  std::string utf8Body = compat::ToUtf8(body), utf8Title = compat::ToUtf8(title);
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  UINT icon = type & 0xF0;
  if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
  // Without a display the box is written to standard error instead.
  if (!CanShowDialogs() ||
      SDL_ShowSimpleMessageBox(flags, utf8Title.c_str(), utf8Body.c_str(), compat::win32::SdlWindowOf(owner)) != 0)
    compat::Report(compat::LayerMessage::MessageBoxText, utf8Title.c_str(), utf8Body.c_str());
  return IDOK;
}
