#include "propviewer/WindowEx.h"

#include "common/RunOptions.h"
#include "render/Effect.h"
#include "render/MeshDrawing.h"
#include "xfile/ModelLoading.h"

void WindowEx::LoadEffects() { LoadEffect(direct3d9.device, L"mesh.cfx"); }

void WindowEx::CreateModel() {
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
}

void WindowEx::DrawModel() { DrawMesh(mesh); }
