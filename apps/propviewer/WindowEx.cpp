#include "propviewer/WindowEx.h"

#include "common/SceneFrame.h"
#include "render/Effect.h"
#include "render/MeshDrawing.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"

WindowEx::~WindowEx() {}

int WindowEx::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  if (SUCCEEDED(DirectInput8Create(GetModuleHandleW(NULL), 0x0800, IID_IDirectInput8W,
                                   reinterpret_cast<void**>(&input.directInput), NULL))) {
    input.Initialize(window);
  }
  SetupDebugGeometry(direct3d9.device);
  LoadEffect(direct3d9.device, L"mesh.cfx");
  camera.Setup(D3DXVECTOR3(0.0f, 5.0f, 0.0f), D3DXVECTOR3(0.0f, 30.0f, -100.0f));
  // Single-precision pi/4; the aspect of the outer window size, which is the back buffer's.
  D3DXMatrixPerspectiveFovLH(&camera.projection, 0.7853981852531433f,
                             static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy),
                             0.1f, 1000.0f);
  g_ProjectionMatrix = camera.projection;
  LoadModel(direct3d9.device);
  // Only the first mesh of the file is shown.
  const std::vector<XMesh>* meshes = FindModel();
  if (meshes && !meshes->empty()) {
    const XMesh& first = meshes->front();
    if ((first.flags & HasPositions) && (first.flags & HasNormals)) mesh.flags |= STREAM_POSITION_NORMAL;
    if (first.flags & HasTexCoords) mesh.flags |= STREAM_TEXCOORD;
    mesh.Build(direct3d9.device, &first, mesh.flags);
    mesh.record = &first;
  }
  // The model keeps its file size unless the command line chose another scale.
  const float scale = g_RunOptions.Scale();
  mesh.scale = D3DXVECTOR3(scale, scale, scale);
  return 1;
}

void WindowEx::OnFrame() {
  input.Update();
  camera.Update(input, 0.02f, 0.2f, 1.0f);
  g_ViewMatrix = camera.view;
  WalkAlong(mesh, GetMoveDirection(input, camera));
  DrawSceneFrame(direct3d9.device, hwnd, [this] { DrawMesh(mesh); });
}
