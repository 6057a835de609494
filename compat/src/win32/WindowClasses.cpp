// The window class registry. Class names compare without regard to case, as
// on Windows. The registry is a function-local static because classes are
// registered during static initialisation of other translation units.
// Kept but unused: the class style, extra bytes, icons, cursor and background
// brush; the menu name is dropped. UnregisterClassW ignores the instance, and
// classes cannot be named by atom.
#include <windows.h>

#include <cwctype>
#include <map>
#include <string>

#include "win32/WindowClasses.h"

namespace compat::win32 {

namespace {

struct CaseInsensitiveLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      wint_t ca = std::towlower(static_cast<wint_t>(a[i])), cb = std::towlower(static_cast<wint_t>(b[i]));
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
};

struct ClassTable {
  std::map<std::wstring, WNDCLASSEXW, CaseInsensitiveLess> classes;
  ATOM nextAtom = 0xC000;
  std::map<std::wstring, ATOM, CaseInsensitiveLess> atoms;
};

ClassTable& Classes() {
  static ClassTable table;
  return table;
}

}  // namespace

const WNDCLASSEXW* FindWindowClass(LPCWSTR name) {
  if (!name || IS_INTRESOURCE(name)) return nullptr;
  auto& classes = Classes().classes;
  auto it = classes.find(name);
  return it == classes.end() ? nullptr : &it->second;
}

}  // namespace compat::win32

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass) {
  using namespace compat::win32;
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpszClassName ||
      IS_INTRESOURCE(windowClass->lpszClassName) || !windowClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassTable& table = Classes();
  std::wstring name = windowClass->lpszClassName;
  if (table.classes.count(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WNDCLASSEXW stored = *windowClass;
  auto [it, inserted] = table.classes.emplace(name, stored);
  it->second.lpszClassName = it->first.c_str();
  it->second.lpszMenuName = nullptr;
  ATOM atom = table.nextAtom++;
  table.atoms[name] = atom;
  return atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  using namespace compat::win32;
  if (!className || IS_INTRESOURCE(className)) return FALSE;
  ClassTable& table = Classes();
  table.atoms.erase(className);
  return table.classes.erase(className) ? TRUE : FALSE;
}
