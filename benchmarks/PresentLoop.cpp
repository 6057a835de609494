// The floor of any viewer on this machine: an SDL window with an OpenGL 3.3
// core context that, per frame, clears a framebuffer of the viewers' back
// buffer size (RGBA8 + D24S8), blits it over the window and swaps; nothing
// else.
//   present_loop [--frames N]   (N = 1 when not given)
// Prints the time from the start of main to the first swap and the frames per
// second of the whole run; run it as the viewers run (SDL_VIDEODRIVER=offscreen
// where there is no display).
#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  auto start = std::chrono::steady_clock::now();
  long frames = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      frames = std::strtol(argv[++i], nullptr, 10);
    } else {
      std::fprintf(stderr, "usage: present_loop [--frames N]\n");
      return 2;
    }
  }
  if (frames < 1) frames = 1;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "present_loop: SDL cannot start its video: %s\n", SDL_GetError());
    return 1;
  }
  // The viewers' window: a 640 x 480 client area, a back buffer of the outer size.
  constexpr int kClientWidth = 640, kClientHeight = 480, kBackWidth = 656, kBackHeight = 519;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window = SDL_CreateWindow("Application", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        kClientWidth, kClientHeight, SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "present_loop: no OpenGL 3.3 core context: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(1);

  GLuint framebuffer = 0, colour = 0, depthStencil = 0;
  glGenFramebuffers(1, &framebuffer);
  glGenRenderbuffers(1, &colour);
  glGenRenderbuffers(1, &depthStencil);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kBackWidth, kBackHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, depthStencil);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kBackWidth, kBackHeight);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);

  double firstFrame = 0;
  auto loopStart = std::chrono::steady_clock::now();
  for (long frame = 0; frame < frames; ++frame) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, kBackWidth, kBackHeight, 0, kClientHeight, kClientWidth, 0, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    SDL_GL_SwapWindow(window);
    if (frame == 0)
      firstFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  double loop = std::chrono::duration<double>(std::chrono::steady_clock::now() - loopStart).count();
  std::printf("first frame presented after %.1f ms; %ld frames at %.0f frames per second\n", firstFrame * 1000,
              frames, static_cast<double>(frames) / loop);

  glDeleteFramebuffers(1, &framebuffer);
  glDeleteRenderbuffers(1, &colour);
  glDeleteRenderbuffers(1, &depthStencil);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
