// Files dropped on a window: SDL reports a drop as SDL_DROPBEGIN, one
// SDL_DROPFILE per file and SDL_DROPCOMPLETE; the layer gathers them into one
// HDROP and posts WM_DROPFILES with it to the window, if the window accepts
// files (DragAcceptFiles).
// Accepted but ignored: dropped text (SDL_DROPTEXT), as a window that takes
// only files ignores it on Windows; the drop point (DragQueryPoint is not
// made). A drop whose window is destroyed before its message is handled is
// finished by the queue (MessageQueue.cpp).
#include <shellapi.h>
#include <windows.h>

#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Unicode.h"
#include "win32/WindowTable.h"

namespace compat::win32 {

namespace {

// What an HDROP points to.
struct DroppedFiles {
  std::vector<std::wstring> files;
};

DroppedFiles* FilesOf(HDROP drop) { return reinterpret_cast<DroppedFiles*>(drop); }

constexpr UINT kFileCountQuery = 0xFFFFFFFF;

struct PendingDrop {
  Uint32 sdlWindowId = 0;
  std::unique_ptr<DroppedFiles> files;
};

PendingDrop& Pending() {
  static PendingDrop pending;
  return pending;
}

// Every drop handed out and not yet finished: DragQueryFileW and DragFinish
// refuse any other handle.
std::set<HDROP>& LiveDrops() {
  static std::set<HDROP> drops;
  return drops;
}

void Begin(Uint32 sdlWindowId) {
  Pending().sdlWindowId = sdlWindowId;
  Pending().files = std::make_unique<DroppedFiles>();
}

void Complete() {
  PendingDrop& pending = Pending();
  std::unique_ptr<DroppedFiles> files = std::move(pending.files);
  HWND hwnd = WindowOfSdlId(pending.sdlWindowId);
  WindowRecord* record = hwnd ? FindWindow(hwnd) : nullptr;
  if (!files || files->files.empty() || !record || !record->acceptsFiles) return;
  HDROP drop = reinterpret_cast<HDROP>(files.release());
  LiveDrops().insert(drop);
  PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

}  // namespace

void TranslateDropEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_DROPBEGIN:
      Begin(event.drop.windowID);
      break;
    case SDL_DROPFILE:
      // A file without a begin (older SDL versions send none) starts a drop
      // of its own, posted at once.
      if (!Pending().files) {
        Begin(event.drop.windowID);
        if (event.drop.file) Pending().files->files.push_back(FromUtf8(event.drop.file));
        Complete();
      } else if (event.drop.file) {
        Pending().files->files.push_back(FromUtf8(event.drop.file));
      }
      break;
    case SDL_DROPCOMPLETE:
      Complete();
      break;
    default:
      break;
  }
  // SDL hands the names over to the receiver of the event.
  if ((event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) && event.drop.file) SDL_free(event.drop.file);
}

}  // namespace compat::win32

using namespace compat::win32;

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  if (WindowRecord* record = FindWindow(hwnd)) record->acceptsFiles = accept != FALSE;
}

UINT DragQueryFileW(HDROP drop, UINT file, LPWSTR buffer, UINT size) {
  if (!drop || !LiveDrops().count(drop)) return 0;
  const std::vector<std::wstring>& files = FilesOf(drop)->files;
  if (file == kFileCountQuery) return static_cast<UINT>(files.size());
  if (file >= files.size()) return 0;
  const std::wstring& name = files[file];
  if (buffer && size > 0) {
    std::size_t copied = name.size() < size - 1 ? name.size() : size - 1;
    std::wmemcpy(buffer, name.data(), copied);
    buffer[copied] = L'\0';
  }
  return static_cast<UINT>(name.size());
}

void DragFinish(HDROP drop) {
  if (!drop || !LiveDrops().erase(drop)) return;
  delete FilesOf(drop);
}
