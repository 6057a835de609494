// The one call of the layer that a program makes and the Windows SDK does not
// have: windows on this platform need a display server (X11 or Wayland), and
// only the program knows how its user can run it without one.
#pragma once

namespace compat {

// Before the first window: `hint` is the program's advice for running
// without a display (it names the program's own options), said on the line
// after "no display was found"; `renderOffscreen` lets this run render
// offscreen when there is no display (a run that ends by itself with a
// screenshot). With a display, or with SDL_VIDEODRIVER set, neither matters.
void SetNoDisplayFallback(const char* hint, bool renderOffscreen);

}  // namespace compat
