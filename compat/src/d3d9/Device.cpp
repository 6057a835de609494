// Device: creation of the GL context and back buffer, Present, Clear, the
// viewport and the render states (what is mapped and ignored: Device.h and
// ApplyRenderState below).
#include "d3d9/Device.h"

#include <cstdio>

#include "common/LayerMessages.h"
#include "common/ProcessEnd.h"
#include "common/Trace.h"
#include "compat/testing_d3d9.h"
#include "d3d9/DeviceGL.h"
#include "d3d9/Surface.h"
#include "win32/WindowTable.h"

namespace compat::d3d9 {

namespace {

GLenum CompareFunction(DWORD function) {
  switch (function) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum StencilOperation(DWORD operation) {
  switch (operation) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum BlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

// Direct3D 9's initial render states.
void SetDefaultRenderStates(std::array<DWORD, 256>& states, bool depthBuffer) {
  states.fill(0);
  states[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  states[D3DRS_FILLMODE] = D3DFILL_SOLID;
  states[D3DRS_SHADEMODE] = 2;  // Gouraud
  states[D3DRS_ZWRITEENABLE] = TRUE;
  states[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  states[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  states[D3DRS_CULLMODE] = D3DCULL_CCW;
  states[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  states[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  states[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  states[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  states[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  states[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  states[D3DRS_STENCILMASK] = 0xFFFFFFFF;
  states[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
  states[D3DRS_CLIPPING] = TRUE;
  states[D3DRS_LIGHTING] = TRUE;
  states[D3DRS_COLORWRITEENABLE] = 0xF;
  states[D3DRS_BLENDOP] = 1;  // add
}

}  // namespace

bool ClipControlAvailable() {
  return epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
}

Device* Device::Create(IDirect3D9* direct3d, D3DDEVTYPE type, HWND window, DWORD behaviorFlags,
                       const D3DPRESENT_PARAMETERS& parameters) {
  auto* device = new Device(direct3d, type, window, behaviorFlags, parameters);
  if (!device->Initialize()) {
    device->Release();
    return nullptr;
  }
  return device;
}

Device::Device(IDirect3D9* direct3d, D3DDEVTYPE type, HWND window, DWORD behaviorFlags,
               const D3DPRESENT_PARAMETERS& parameters)
    : direct3d_(direct3d), type_(type), window_(window), behaviorFlags_(behaviorFlags), parameters_(parameters) {
  direct3d_->AddRef();
}

bool Device::Initialize() {
  SDL_Window* sdlWindow = win32::SdlWindowOf(window_);
  if (!sdlWindow) return false;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The reference device is a software rasterizer.
  if (type_ == D3DDEVTYPE_REF) SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 0);
  context_ = SDL_GL_CreateContext(sdlWindow);
  if (!context_) {
    compat::Report(compat::LayerMessage::NoGlContext, static_cast<unsigned>(type_), SDL_GetError());
    return false;
  }
  if (!MakeCurrent() || epoxy_gl_version() < 33) {
    compat::Report(compat::LayerMessage::GlTooOld, epoxy_gl_version() / 10, epoxy_gl_version() % 10);
    return false;
  }
  SDL_GL_SetSwapInterval(parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

  // The back buffer and its depth-stencil buffer.
  auto width = static_cast<GLsizei>(parameters_.BackBufferWidth);
  auto height = static_cast<GLsizei>(parameters_.BackBufferHeight);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glGenRenderbuffers(1, &colorBuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  if (parameters_.EnableAutoDepthStencil) {
    glGenRenderbuffers(1, &depthStencilBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencilBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencilBuffer_);
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    compat::Report(compat::LayerMessage::NoBackBuffer, width, height);
    return false;
  }

  // Direct3D's clip-space depth runs from 0 to 1 (see ClipControlAvailable).
  clipControl_ = ClipControlAvailable();
  if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glFrontFace(GL_CCW);
  SetDefaultRenderStates(renderStates_, parameters_.EnableAutoDepthStencil);
  for (std::size_t state = 0; state < renderStates_.size(); ++state)
    ApplyRenderState(static_cast<D3DRENDERSTATETYPE>(state));
  viewport_ = {0, 0, parameters_.BackBufferWidth, parameters_.BackBufferHeight, 0.0f, 1.0f};
  ApplyViewport();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return true;
}

Device::~Device() {
  // With its window gone the context can no longer be made current; deleting
  // the context frees its objects all the same.
  // Resources outliving the device let go of it first (their GL objects go
  // with the context when it cannot be made current).
  ReleaseDrawState(drawState, context_ && win32::SdlWindowOf(window_) && MakeCurrent());
  if (context_) {
    if (win32::SdlWindowOf(window_) && MakeCurrent()) {
      if (depthStencilBuffer_) glDeleteRenderbuffers(1, &depthStencilBuffer_);
      if (colorBuffer_) glDeleteRenderbuffers(1, &colorBuffer_);
      if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    }
    SDL_GL_DeleteContext(context_);
  }
  direct3d_->Release();
}

bool Device::MakeCurrent() {
  if (!context_) return false;
  if (SDL_GL_GetCurrentContext() == context_) return true;
  SDL_Window* sdlWindow = win32::SdlWindowOf(window_);
  if (!sdlWindow || SDL_GL_MakeCurrent(sdlWindow, context_) != 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  return true;
}

void Device::SurfaceGone(Surface* surface) {
  if (surface == backBufferSurface_) backBufferSurface_ = nullptr;
  if (surface == depthStencilSurface_) depthStencilSurface_ = nullptr;
}

HRESULT Device::TestCooperativeLevel() { return win32::SdlWindowOf(window_) ? D3D_OK : D3DERR_DEVICELOST; }

HRESULT Device::GetDirect3D(IDirect3D9** direct3d) {
  if (!direct3d) return D3DERR_INVALIDCALL;
  direct3d_->AddRef();
  *direct3d = direct3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) { return direct3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, type_, caps); }

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  if (swapChain != 0) return D3DERR_INVALIDCALL;
  return direct3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride, const void*) {
  trace::Record("Present");
  // Rectangles need the copy swap effect, as on Direct3D 9.
  if ((sourceRect || destRect) && parameters_.SwapEffect != D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  HWND target = destWindowOverride ? destWindowOverride : window_;
  SDL_Window* sdlWindow = win32::SdlWindowOf(target);
  if (!sdlWindow || target != window_) return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;

  auto width = static_cast<GLint>(parameters_.BackBufferWidth);
  auto height = static_cast<GLint>(parameters_.BackBufferHeight);
  int windowWidth = 0, windowHeight = 0;
  SDL_GL_GetDrawableSize(sdlWindow, &windowWidth, &windowHeight);
  // The back buffer is stretched over the whole client area; its top row
  // (row 0) goes to the top of the window.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glBlitFramebuffer(0, 0, width, height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SwapWindow(sdlWindow);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  static bool presentedBefore = false;
  if (!presentedBefore) LayerReport("first frame presented\n");
  presentedBefore = true;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
  if (swapChain != 0 || backBuffer >= parameters_.BackBufferCount) {
    if (surface) *surface = nullptr;
    return D3DERR_INVALIDCALL;
  }
  return GetRenderTarget(0, surface);
}

HRESULT Device::GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** renderTarget) {
  if (!renderTarget) return D3DERR_INVALIDCALL;
  *renderTarget = nullptr;
  if (renderTargetIndex != 0) return D3DERR_NOTFOUND;
  if (backBufferSurface_) {
    backBufferSurface_->AddRef();
  } else {
    D3DSURFACE_DESC desc = {parameters_.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET,
                            D3DPOOL_DEFAULT, parameters_.MultiSampleType, parameters_.MultiSampleQuality,
                            parameters_.BackBufferWidth, parameters_.BackBufferHeight};
    backBufferSurface_ = new Surface(this, Surface::Kind::BackBuffer, desc);
  }
  *renderTarget = backBufferSurface_;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** zStencilSurface) {
  if (!zStencilSurface) return D3DERR_INVALIDCALL;
  *zStencilSurface = nullptr;
  if (!parameters_.EnableAutoDepthStencil) return D3DERR_NOTFOUND;
  if (depthStencilSurface_) {
    depthStencilSurface_->AddRef();
  } else {
    D3DSURFACE_DESC desc = {parameters_.AutoDepthStencilFormat, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL,
                            D3DPOOL_DEFAULT, parameters_.MultiSampleType, parameters_.MultiSampleQuality,
                            parameters_.BackBufferWidth, parameters_.BackBufferHeight};
    depthStencilSurface_ = new Surface(this, Surface::Kind::DepthStencil, desc);
  }
  *zStencilSurface = depthStencilSurface_;
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  trace::Record("BeginScene");
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  trace::Record("EndScene");
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  if (MakeCurrent()) glFlush();
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  trace::Record("Clear", count, flags, color, z, stencil);
  if ((count && !rects) || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
    return D3DERR_INVALIDCALL;
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencilBuffer_) return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;

  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    mask |= GL_COLOR_BUFFER_BIT;
    glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>((color >> 24) & 0xFF) / 255.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    mask |= GL_DEPTH_BUFFER_BIT;
    glClearDepth(z);
    glDepthMask(GL_TRUE);
  }
  if (flags & D3DCLEAR_STENCIL) {
    mask |= GL_STENCIL_BUFFER_BIT;
    glClearStencil(static_cast<GLint>(stencil));
    glStencilMask(0xFF);
  }
  // Clearing covers the viewport, cut down to each rectangle when given.
  glEnable(GL_SCISSOR_TEST);
  auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
    LONG left = std::max<LONG>(x1, static_cast<LONG>(viewport_.X));
    LONG top = std::max<LONG>(y1, static_cast<LONG>(viewport_.Y));
    LONG right = std::min<LONG>(x2, static_cast<LONG>(viewport_.X + viewport_.Width));
    LONG bottom = std::min<LONG>(y2, static_cast<LONG>(viewport_.Y + viewport_.Height));
    if (right <= left || bottom <= top) return;
    glScissor(left, top, right - left, bottom - top);
    glClear(mask);
  };
  if (count == 0) {
    clearRect(0, 0, static_cast<LONG>(parameters_.BackBufferWidth), static_cast<LONG>(parameters_.BackBufferHeight));
  } else {
    for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  glDisable(GL_SCISSOR_TEST);
  ApplyRenderState(D3DRS_COLORWRITEENABLE);
  ApplyRenderState(D3DRS_ZWRITEENABLE);
  ApplyRenderState(D3DRS_STENCILWRITEMASK);
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport || viewport->X + viewport->Width > parameters_.BackBufferWidth ||
      viewport->Y + viewport->Height > parameters_.BackBufferHeight || viewport->MinZ < 0.0f ||
      viewport->MaxZ > 1.0f || viewport->MinZ > viewport->MaxZ)
    return D3DERR_INVALIDCALL;
  viewport_ = *viewport;
  if (MakeCurrent()) ApplyViewport();
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

void Device::ApplyViewport() {
  glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y), static_cast<GLsizei>(viewport_.Width),
             static_cast<GLsizei>(viewport_.Height));
  glDepthRange(viewport_.MinZ, viewport_.MaxZ);
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  trace::Record("SetRenderState", state, value);
  if (static_cast<DWORD>(state) >= renderStates_.size()) return D3DERR_INVALIDCALL;
  renderStates_[state] = value;
  if (MakeCurrent()) ApplyRenderState(state);
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || static_cast<DWORD>(state) >= renderStates_.size()) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

void Device::ApplyStencilState() {
  glStencilFunc(CompareFunction(renderStates_[D3DRS_STENCILFUNC]), static_cast<GLint>(renderStates_[D3DRS_STENCILREF]),
                renderStates_[D3DRS_STENCILMASK]);
  glStencilOp(StencilOperation(renderStates_[D3DRS_STENCILFAIL]), StencilOperation(renderStates_[D3DRS_STENCILZFAIL]),
              StencilOperation(renderStates_[D3DRS_STENCILPASS]));
}

// Mapped to GL: ZENABLE (D3DZB_USEW counts as TRUE), ZWRITEENABLE, ZFUNC,
// CULLMODE, FILLMODE, STENCILENABLE, STENCILFUNC, STENCILREF, STENCILMASK,
// STENCILFAIL, STENCILZFAIL, STENCILPASS, STENCILWRITEMASK, ALPHABLENDENABLE,
// SRCBLEND and DESTBLEND (factors past INVDESTCOLOR, such as SRCALPHASAT and
// BLENDFACTOR, become GL_ONE), COLORWRITEENABLE.
// Every other state is stored for GetRenderState only and has no effect:
// among them BLENDOP (always add), SEPARATEALPHABLENDENABLE, SRCBLENDALPHA,
// DESTBLENDALPHA, ALPHATESTENABLE, ALPHAREF and ALPHAFUNC (core GL has no
// alpha test; a pixel shader must discard), SHADEMODE, CLIPPING (always on),
// LIGHTING, FOG*, SCISSORTESTENABLE, DEPTHBIAS, SLOPESCALEDEPTHBIAS,
// TWOSIDEDSTENCILMODE and the CCW_STENCIL* states, MULTISAMPLEANTIALIAS.
void Device::ApplyRenderState(D3DRENDERSTATETYPE state) {
  DWORD value = renderStates_[state];
  switch (state) {
    case D3DRS_ZENABLE:
      if (value != D3DZB_FALSE) glEnable(GL_DEPTH_TEST);
      else glDisable(GL_DEPTH_TEST);
      break;
    case D3DRS_ZWRITEENABLE:
      glDepthMask(value ? GL_TRUE : GL_FALSE);
      break;
    case D3DRS_ZFUNC:
      glDepthFunc(CompareFunction(value));
      break;
    case D3DRS_CULLMODE:
      // Clockwise is Direct3D's front; with the flipped clip y it is GL's
      // counter-clockwise.
      if (value == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
      } else {
        glEnable(GL_CULL_FACE);
        glCullFace(value == D3DCULL_CW ? GL_FRONT : GL_BACK);
      }
      break;
    case D3DRS_FILLMODE:
      glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT ? GL_POINT : value == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
      break;
    case D3DRS_STENCILENABLE:
      if (value) glEnable(GL_STENCIL_TEST);
      else glDisable(GL_STENCIL_TEST);
      break;
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
      ApplyStencilState();
      break;
    case D3DRS_STENCILWRITEMASK:
      glStencilMask(value);
      break;
    case D3DRS_ALPHABLENDENABLE:
      if (value) glEnable(GL_BLEND);
      else glDisable(GL_BLEND);
      break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
      glBlendFunc(BlendFactor(renderStates_[D3DRS_SRCBLEND]), BlendFactor(renderStates_[D3DRS_DESTBLEND]));
      break;
    case D3DRS_COLORWRITEENABLE:
      glColorMask((value & 1) != 0, (value & 2) != 0, (value & 4) != 0, (value & 8) != 0);
      break;
    default:
      break;
  }
}

bool Device::ReadBackBuffer(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) {
  if (!MakeCurrent()) return false;
  width = parameters_.BackBufferWidth;
  height = parameters_.BackBufferHeight;
  rgba.resize(static_cast<std::size_t>(width) * height * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA, GL_UNSIGNED_BYTE,
               rgba.data());
  return glGetError() == GL_NO_ERROR;
}

}  // namespace compat::d3d9

namespace compat::testing {
bool MapsDepthInVertexShaders(IDirect3DDevice9* device) {
  d3d9::Device* layerDevice = d3d9::LayerDevice(device);
  return layerDevice && !layerDevice->HasClipControl();
}
}  // namespace compat::testing
