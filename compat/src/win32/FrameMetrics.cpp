// Window frame metrics at 96 DPI as Windows 10 reports them through
// AdjustWindowRectEx: a sizing frame of 8 pixels (4 border + 4 padding), a
// fixed dialog frame of 3, a thin border of 1, a caption of 23 and a menu bar
// of 20 pixels, and 2 for a client edge. Other extended styles (tool window,
// window edge, dialog modal frame) and the display's scale are ignored; a
// menu adds nothing to a WS_CHILD window.
#include <windows.h>

#include "win32/WindowTable.h"

namespace compat::win32 {

RECT FrameOf(DWORD style, BOOL menu, DWORD exStyle) {
  RECT frame = {0, 0, 0, 0};
  LONG edge = 0;
  if (style & WS_THICKFRAME)
    edge = 8;
  else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME))
    edge = 3;
  else if (style & WS_BORDER)
    edge = 1;
  if (exStyle & WS_EX_CLIENTEDGE) edge += 2;
  frame.left = frame.right = frame.bottom = frame.top = edge;
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top += 23;
  if (menu && !(style & WS_CHILD)) frame.top += 20;
  return frame;
}

}  // namespace compat::win32

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT frame = compat::win32::FrameOf(style, menu, exStyle);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}
