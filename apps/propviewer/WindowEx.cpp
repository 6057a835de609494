#include "propviewer/WindowEx.h"

#include "common/ModelReload.h"
#include "common/RunOptions.h"
#include "render/Effect.h"
#include "render/MeshDrawing.h"
#include "xfile/ModelLoading.h"

void WindowEx::LoadEffects() { LoadEffect(direct3d9.device, L"mesh.cfx"); }

void WindowEx::CreateModel() {
  LoadModel(direct3d9.device);
  BuildFirstMesh(FindModel());
  // The model keeps its file size unless the command line chose another scale.
  const float scale = g_RunOptions.Scale();
  mesh.scale = D3DXVECTOR3(scale, scale, scale);
}

// Only the first mesh of the file is shown.
void WindowEx::BuildFirstMesh(const std::vector<XMesh>* meshes) {
  if (meshes && !meshes->empty()) {
    const XMesh& first = meshes->front();
    if ((first.flags & HasPositions) && (first.flags & HasNormals)) mesh.flags |= STREAM_POSITION_NORMAL;
    if (first.flags & HasTexCoords) mesh.flags |= STREAM_TEXCOORD;
    mesh.Build(direct3d9.device, &first, mesh.flags);
    mesh.record = &first;
  }
}

void WindowEx::DrawModel() { DrawMesh(mesh); }

WorldBounds WindowEx::ModelBounds() {
  WorldBounds bounds;
  mesh.UpdateWorldMatrix();
  AddMeshBounds(mesh, mesh.world, bounds);
  return bounds;
}

std::vector<PlacedNormal> WindowEx::ModelNormals() {
  std::vector<PlacedNormal> normals;
  if (mesh.record) AddPlacedNormals(*mesh.record, mesh.world, normals);  // world as DrawMesh left it
  return normals;
}

bool WindowEx::OpenModel(const std::wstring& file) {
  if (file == g_ModelFileName) return true;
  if (!LoadModelFile(direct3d9.device, file) || !FindModelFile(file)) return false;
  const std::wstring previous = g_ModelFileName;
  g_ModelFileName = file;
  ShowMeshes(FindModelFile(file));
  ReleaseModelFile(previous);
  return true;
}

void WindowEx::ShowMeshes(const std::vector<XMesh>* meshes) {
  mesh.ReleaseAll();
  mesh.record = nullptr;
  mesh.flags = 0;
  BuildFirstMesh(meshes);
}

bool WindowEx::ReloadModel(std::string& why) {
  return ReloadModelFile(
      direct3d9.device, g_ModelFileName, [this](std::vector<XMesh>* meshes) { ShowMeshes(meshes); }, why);
}
