// Every line the layer itself writes on standard error, listed once with its
// format; the enum and the formats are made from the one list. (The debugger
// output, OutputDebugString, is the framework's channel, not the layer's.)
#pragma once

#include <cstddef>

#define COMPAT_LAYER_MESSAGES(X)                                                                       \
  /* the draw call */                                                                                   \
  X(DrawWithoutPass, "%s: no effect pass is open, so there is no shader to draw with")                  \
  X(DrawWithoutDeclaration, "%s: no vertex declaration is set")                                         \
  /* the draw call, the stream */                                                                       \
  X(DrawStreamMissing, "%s: the declaration reads stream %u, which has no vertex buffer")               \
  /* the draw call, the first and last vertex, the stream */                                            \
  X(DrawBeyondStream, "%s: vertices %u to %u lie beyond the end of stream %u")                          \
  X(DrawWithoutIndices, "DrawIndexedPrimitive: no index buffer is set")                                 \
  /* the first and last index */                                                                        \
  X(DrawBeyondIndices, "DrawIndexedPrimitive: indices %u to %u lie beyond the end of the index buffer") \
  X(DrawBeforeFirstVertex, "DrawIndexedPrimitive: an index reaches before the first vertex")            \
  /* why the declaration is refused */                                                                  \
  X(DeclarationRefused, "CreateVertexDeclaration: %s")                                                  \
  /* the device type, SDL's reason */                                                                   \
  X(NoGlContext, "CreateDevice: no OpenGL 3.3 core context for device type %u: %s")                     \
  /* the GL version found, major and minor */                                                           \
  X(GlTooOld, "CreateDevice: OpenGL 3.3 is not available (found %d.%d)")                                \
  /* the back buffer's width and height */                                                              \
  X(NoBackBuffer, "CreateDevice: a %dx%d back buffer cannot be made")                                   \
  /* the program's prefix, the driver, SDL's reason */                                                  \
  X(VideoDriverNotStarted, "%sthe video driver \"%s\" (SDL_VIDEODRIVER) cannot be started: %s")         \
  /* the program's prefix, SDL's reason */                                                              \
  X(OffscreenNotStarted, "%sthe offscreen video driver cannot be started: %s")                          \
  /* the program's prefix twice, the program's advice for running headless */                          \
  X(NoDisplay, "%sno display was found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n%s%s")            \
  /* the program's prefix, the display variables, SDL's reason */                                       \
  X(DisplayNotOpened, "%sthe display (%s) cannot be opened: %s")                                        \
  /* SDL's reason */                                                                                    \
  X(WindowNotOpened, "CreateWindowExW: SDL could not open a window: %s")                                \
  /* a message box without a display: its caption and its text */                                      \
  X(MessageBoxText, "%s: %s")                                                                           \
  /* SDL's reason */                                                                                    \
  X(NoGameControllers, "dinput8: no game controllers: %s")                                              \
  /* the file */                                                                                        \
  X(SurfaceNotSaved, "D3DXSaveSurfaceToFileW: cannot write %s")

namespace compat {

enum class LayerMessage {
#define COMPAT_MESSAGE_NAME(name, format) name,
  COMPAT_LAYER_MESSAGES(COMPAT_MESSAGE_NAME)
#undef COMPAT_MESSAGE_NAME
};
#define COMPAT_COUNT_MESSAGE(...) +1
inline constexpr std::size_t kLayerMessages = 0 COMPAT_LAYER_MESSAGES(COMPAT_COUNT_MESSAGE);
#undef COMPAT_COUNT_MESSAGE

// Writes `message` with its arguments, as its format takes them, and a line
// feed on standard error.
void Report(LayerMessage message, ...);

}  // namespace compat
