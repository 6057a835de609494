// modelwindow MODEL.x: a window that shows a model file over the floor grid,
// framed whole, a character in the first pose of its first animation set;
// closed by its close box or Ctrl+C. Written, as the framework is, against
// the Windows interfaces; on Linux the framework's layer provides them.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "model/Model.h"
#include "model/ModelBounds.h"
#include "platform/AssetFolders.h"
#include "platform/Camera.h"
#include "platform/Direct3D9.h"
#include "platform/TextConversion.h"
#include "render/DebugGeometry.h"
#include "render/Effect.h"
#include "render/ViewMatrices.h"
#include "window/MessageLoop.h"
#include "window/Window.h"
#include "xfile/ModelLoading.h"

class ModelWindow : public Window {
 public:
  explicit ModelWindow(std::wstring file) : file_(std::move(file)) {}

  int OnCreate(HWND window, CREATESTRUCTW* create) override {
    if (!direct3d_.Initialize(window, create->cx, create->cy)) return 0;
    IDirect3DDevice9* device = direct3d_.device;
    // The grid's effect (geometory.cfx) and the meshes' effects, found in the
    // working folder or the asset folders.
    SetupDebugGeometry(device);
    LoadEffect(device, L"mesh.cfx");
    LoadEffect(device, L"skinmesh.cfx");
    // A file that cannot be read is said on standard error; the grid stays.
    if (LoadModelFile(device, file_)) model_.Setup(device, FindModelFile(file_));
    // Look at the model from above and in front, from far enough to see it whole.
    const float aspect = static_cast<float>(create->cx) / static_cast<float>(create->cy);
    WorldBounds bounds = PosedModelBounds(model_);
    if (bounds.empty) bounds.Add(D3DXVECTOR3(0, 0, 0));
    const SphereView view = FrameSphere(bounds.Centre(), bounds.Radius(), D3DXVECTOR3(0, 25, -100), D3DX_PI / 4,
                                        aspect, 1.05f, 0.1f, 1000.0f);
    camera_.Setup(view.lookAt, view.eye);
    camera_.UpdateView();
    g_ViewMatrix = camera_.view;
    D3DXMatrixPerspectiveFovLH(&g_ProjectionMatrix, D3DX_PI / 4, aspect, view.nearPlane, view.farPlane);
    grid_ = bounds.Radius() * 4.0f;
    return 1;
  }

  // One frame: the grid under the model, then the model, presented.
  void OnFrame() override {
    IDirect3DDevice9* device = direct3d_.device;
    if (!device) return;
    if (SUCCEEDED(device->BeginScene())) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(24, 28, 40), 1.0f, 0);
      DrawGrid(grid_);
      model_.Draw();
      device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }

 private:
  std::wstring file_;
  Direct3D9 direct3d_;
  DebugCamera camera_;
  Model model_;
  float grid_ = 100.0f;
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2) {
    MessageBoxW(nullptr, L"usage: modelwindow MODEL.x", L"modelwindow", MB_ICONINFORMATION);
    return 2;
  }
  const std::wstring file = argv[1];
  LocalFree(argv);
  // The effects beside an installed program, else where the framework is installed.
  AddAssetFolder(InstalledAssetFolder());
#ifdef XVIEW_DATA_DIR
  AddAssetFolder(FromUtf8(XVIEW_DATA_DIR));
#endif
  ModelWindow window(file);
  if (!window.Create(L"modelwindow", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                     WS_OVERLAPPEDWINDOW, 0, nullptr))
    return 1;
  RunMessageLoop();
  return 0;
}
