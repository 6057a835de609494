// The Direct3D 9 device on OpenGL 3.3 core: one GL context on the device
// window, a back buffer framebuffer of the present parameters' size with a
// D24S8 depth-stencil buffer, and the render states mapped to GL state.
//
// Orientation: the back buffer stores the image top row first (row 0 is the
// top, as Direct3D surfaces lie in memory). Vertex shaders output clip y
// negated, so Direct3D's clockwise front faces are GL's counter-clockwise
// ones, and viewport and clear rectangles keep Direct3D's top-left origin.
//
// Present blits the back buffer over the window and swaps (SDL_GL_SwapWindow);
// Clear is glClear under a scissor per rectangle, cut to the viewport.
// Accepted but ignored: the back buffer and depth formats (GL holds RGBA8 and
// D24S8 whatever is asked), multisampling, intervals other than IMMEDIATE
// (all wait for vertical sync), Present's rectangles (allowed with
// D3DSWAPEFFECT_COPY, the whole buffer is shown) and dirty region,
// GetBackBuffer's type. Draws outside BeginScene/EndScene are not refused.
#pragma once

#include <SDL.h>
#include <d3d9.h>
#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "common/LiveObjects.h"
#include "d3d9/DrawState.h"

namespace compat::d3d9 {

class Surface;

class Device final : public RefCounted<IDirect3DDevice9> {
 public:
  // Creates the GL context and the back buffer; null (with the reason on
  // standard error) when the platform's GL cannot serve the device.
  static Device* Create(IDirect3D9* direct3d, D3DDEVTYPE type, HWND window, DWORD behaviorFlags,
                        const D3DPRESENT_PARAMETERS& parameters);

  // Makes this device's context current (cheap when it already is).
  bool MakeCurrent();
  // Reads the back buffer as rows of 8-bit RGBA, top row first.
  bool ReadBackBuffer(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height);
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }
  // False where the context has no glClipControl and the vertex shaders map depth.
  bool HasClipControl() const { return clipControl_; }
  GLuint BackBufferFramebuffer() const { return framebuffer_; }
  void SurfaceGone(Surface* surface);

  HRESULT TestCooperativeLevel() override;
  HRESULT GetDirect3D(IDirect3D9** direct3d) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const void* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** backBufferSurface) override;
  HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** renderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** zStencilSurface) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;

  // Resources and drawing (DeviceResources.cpp).
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** vertexBuffer, HANDLE* sharedHandle) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** indexBuffer, HANDLE* sharedHandle) override;
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* vertexElements,
                                  IDirect3DVertexDeclaration9** declaration) override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) override;
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                          UINT stride) override;
  HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** streamData, UINT* offsetInBytes,
                          UINT* stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* indexData) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** indexData) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex, UINT minVertexIndex,
                               UINT numVertices, UINT startIndex, UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount, const void* vertexStreamZeroData,
                          UINT vertexStreamZeroStride) override;

 private:
  Device(IDirect3D9* direct3d, D3DDEVTYPE type, HWND window, DWORD behaviorFlags,
         const D3DPRESENT_PARAMETERS& parameters);
  ~Device() override;
  bool Initialize();
  void ApplyRenderState(D3DRENDERSTATETYPE state);
  void ApplyStencilState();
  void ApplyViewport();

  IDirect3D9* direct3d_;
  D3DDEVTYPE type_;
  HWND window_;
  DWORD behaviorFlags_;
  D3DPRESENT_PARAMETERS parameters_;
  SDL_GLContext context_ = nullptr;
  GLuint framebuffer_ = 0;
  GLuint colorBuffer_ = 0;
  GLuint depthStencilBuffer_ = 0;
  bool inScene_ = false;
  bool clipControl_ = false;
  D3DVIEWPORT9 viewport_{};
  std::array<DWORD, 256> renderStates_{};
  // The default surfaces, made on first request; each holds a device
  // reference and tells the device when it goes.
  Surface* backBufferSurface_ = nullptr;
  Surface* depthStencilSurface_ = nullptr;

  // Resource and drawing state (DeviceResources.cpp, DeviceDraw.cpp).
 public:
  DrawState drawState;

 private:
  // Points the declaration's attributes at their streams and binds the
  // program and textures; fails when something the draw needs is missing.
  HRESULT PrepareDraw(const char* call, UINT firstVertex, UINT vertices, bool userStream);
  // True when every stream the declaration reads holds those vertices.
  bool VerticesFit(UINT firstVertex, UINT vertices) const;
};

}  // namespace compat::d3d9
