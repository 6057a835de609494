#include "ThumbnailRender.h"

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <algorithm>

#include "ThumbnailMessages.h"
#include "common/Screenshots.h"
#include "common/ViewerFraming.h"
#include "model/Model.h"
#include "model/ModelBounds.h"
#include "platform/Camera.h"
#include "platform/Direct3D9.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "render/Texture.h"
#include "render/ViewMatrices.h"
#include "window/Window.h"
#include "xfile/ModelLoading.h"
#include "xfile/ParseMessages.h"

namespace {

constexpr D3DCOLOR kTransparent = 0x00000000;

std::string Shown(const std::wstring& file) { return ToUtf8(Escaped(file)); }

// The viewers draw without blending, so a material's alpha shows nowhere on
// screen; in the thumbnail it would become the picture's alpha. Opaque, the
// model looks as it does in the viewers (texels cut out below one half stay
// cut out).
void MakeMaterialsOpaque(XFileScene& scene) {
  for (XMesh& mesh : scene.meshes)
    for (XMaterial& material : mesh.materials) material.diffuse.a = 1.0f;
}

// Points the camera at the model posed now, as the viewers' framing does.
bool FrameModel(Model& model) {
  const WorldBounds bounds = PosedModelBounds(model);
  if (bounds.empty) return false;
  const SphereView view = FrameSphere(bounds.Centre(), bounds.Radius(), kCameraEye - kCameraTarget, kFieldOfView, 1.0f,
                                      kFramingMargin, kNearPlane, kFarPlane);
  Camera camera;
  camera.Setup(view.lookAt, view.eye);
  camera.UpdateView();
  g_ViewMatrix = camera.view;
  D3DXMatrixPerspectiveFovLH(&g_ProjectionMatrix, kFieldOfView, 1.0f, view.nearPlane, view.farPlane);
  return true;
}

// The effects the model is drawn with: mesh.cfx always (a skinned mesh that
// the skin effect cannot hold falls back to it), skinmesh.cfx where a mesh
// has bones. Each costs shader compiles that no cache saves here. They say
// themselves why they did not load.
bool LoadModelEffects(IDirect3DDevice9* device, const Model& model) {
  const bool skinned =
      std::any_of(model.meshes.begin(), model.meshes.end(), [](const Mesh& mesh) { return !mesh.palette.empty(); });
  return LoadEffect(device, L"mesh.cfx") && (!skinned || LoadEffect(device, L"skinmesh.cfx"));
}

// Loads the model and its effects, draws it once and writes the back buffer.
bool DrawAndSave(IDirect3DDevice9* device, const std::wstring& file, const std::wstring& output) {
  // The reader says in one line why a file cannot be read.
  if (!LoadModelFile(device, file)) return false;
  XFileScene* scene = FindModelFile(file);
  Model model;
  if (!scene || !model.Setup(device, scene) || model.meshes.empty()) {
    Report(ThumbnailMessage::NothingToDraw, Shown(file).c_str());
    return false;
  }
  if (!LoadModelEffects(device, model)) {
    Report(ThumbnailMessage::NotRendered, Shown(file).c_str(), "the viewers' effects cannot be loaded");
    return false;
  }
  MakeMaterialsOpaque(*scene);
  // The first pose: tick 0 of set 0, as actorviewer starts.
  model.animationSet = 0;
  model.animationTick = 0.0;
  if (!FrameModel(model)) {
    Report(ThumbnailMessage::NothingToDraw, Shown(file).c_str());
    return false;
  }
  if (FAILED(device->BeginScene())) {
    Report(ThumbnailMessage::NotRendered, Shown(file).c_str(), "the scene cannot begin");
    return false;
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kTransparent, 1.0f, 0);
  model.Draw();
  device->EndScene();
  // The layer says why a picture cannot be written.
  return SaveBackBuffer(device, output);
}

}  // namespace

bool RenderThumbnail(const std::wstring& file, const std::wstring& output, int size) {
  Window window;
  if (!window.Create(L"xviewer-thumbnailer", size, size, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                     WS_OVERLAPPEDWINDOW, 0, nullptr)) {
    Report(ThumbnailMessage::NotRendered, Shown(file).c_str(), "no window for the offscreen device");
    return false;
  }
  bool written = false;
  {
    Direct3D9 direct3d9;
    // The back buffer keeps its alpha: the background stays transparent.
    if (direct3d9.Initialize(window.GetHandle(), size, size, D3DFMT_A8R8G8B8)) {
      written = DrawAndSave(direct3d9.device, file, output);
    } else {
      Report(ThumbnailMessage::NotRendered, Shown(file).c_str(), "no Direct3D device");
    }
    // Everything that holds device objects goes before the device.
    g_EffectMap.clear();
    ReleaseModelFile(file);
    g_TextureMap.clear();
  }
  DestroyWindow(window.GetHandle());
  return written;
}
