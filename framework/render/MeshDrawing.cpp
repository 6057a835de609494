#include "render/MeshDrawing.h"

#include <algorithm>

#include "platform/Messages.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "render/Texture.h"
#include "render/ViewMatrices.h"
#if !defined(XVIEW_REDUCED_MODEL)
#include "model/Model.h"
#include "xfile/ParseMessages.h"
#endif

XFILE_SHAPE_BEGIN

namespace {

// What a subset draws with when its material index lies outside the
// material list: opaque white, untextured.
const XMaterial kDefaultMaterial;

const XMaterial& MaterialOf(const XMesh& record, const XSubset& subset) {
  if (subset.material < 0 || static_cast<std::size_t>(subset.material) >= record.materials.size())
    return kDefaultMaterial;
  return record.materials[static_cast<std::size_t>(subset.material)];
}

D3DXVECTOR4 Vector(const XColorRGBA& color) { return D3DXVECTOR4(color.r, color.g, color.b, color.a); }

// The loaded effect of `fileName`, or null: drawing never adds a registry entry.
Effect* LoadedEffect(const wchar_t* fileName) {
  auto found = g_EffectMap.find(fileName);
  return found != g_EffectMap.end() && found->second.effect ? &found->second : nullptr;
}

// The loaded texture of `fileName`, or null (a texture that failed to load).
IDirect3DTexture9* LoadedTexture(const std::wstring& fileName) {
  auto found = g_TextureMap.find(fileName);
  return found != g_TextureMap.end() ? found->second.texture : nullptr;
}

// The common road of both kinds of mesh; `palette` is null for a rigid mesh.
bool Draw(Mesh& mesh, Effect& effect, const std::vector<D3DXMATRIX>* palette) {
  if (!mesh.record || !mesh.IsBuilt()) return false;
  const XMesh& record = *mesh.record;
  ID3DXEffect* compiled = effect.effect;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(compiled->GetDevice(&device)) || !device) return false;

  mesh.UpdateWorldMatrix();
  D3DXMatrixMultiply(&mesh.world, &mesh.world, &mesh.frameMatrix);
#if !defined(XVIEW_REDUCED_MODEL)
  if (palette) effect.SetFinalTransforms(palette->data(), static_cast<UINT>(palette->size()));
#else
  (void)palette;
#endif
  D3DXMATRIX inverse;
  // A singular world (a zero scale) has no inverse; the identity keeps the
  // normals finite.
  if (!D3DXMatrixInverse(&inverse, nullptr, &mesh.world)) D3DXMatrixIdentity(&inverse);
  effect.SetMatrix(L"g_mWorld", mesh.world);
  effect.SetMatrix(L"g_mView", g_ViewMatrix);
  effect.SetMatrix(L"g_mProj", g_ProjectionMatrix);
  effect.SetMatrix(L"g_mWorldInv", inverse);
  mesh.Bind(device);

  const UINT vertexCount = static_cast<UINT>(record.vertices.size());
  D3DXHANDLE colorTexture = effect.ParameterHandle(L"g_ColorTex");
  bool drawn = true;
  for (const XSubset& subset : record.subsets) {
    const XMaterial& material = MaterialOf(record, subset);
    // The pass follows the texture that loaded, not the name: a material
    // whose texture is missing keeps its colours instead of sampling nothing
    // (black).
    const std::wstring& textureFile = material.textureFiles[0];
    IDirect3DTexture9* texture = textureFile.empty() ? nullptr : LoadedTexture(textureFile);
    effect.SelectPass(texture ? 1 : 0);
    compiled->SetTexture(colorTexture, texture);
    effect.SetVector(L"g_Diffuse", Vector(material.diffuse));
    effect.SetVector(L"g_Emissive", Vector(material.emissive));
    effect.BeginPass();
    HRESULT result = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 3 * subset.firstFace,
                                                  subset.faceCount);
    compiled->EndPass();
    compiled->End();
    if (FAILED(result)) {
      drawn = false;
      break;
    }
  }
  if (drawn)
    for (std::size_t i = 0; i < mesh.vertexBuffers.size(); ++i)
      if (FAILED(device->SetStreamSource(static_cast<UINT>(i), nullptr, 0, 0))) break;
  device->Release();
  return drawn;
}

}  // namespace

bool DrawMesh(Mesh& mesh) {
  Effect* effect = LoadedEffect(L"mesh.cfx");
  return effect && Draw(mesh, *effect, nullptr);
}

#if !defined(XVIEW_REDUCED_MODEL)
bool DrawSkinnedMesh(Mesh& mesh) {
  Effect* effect = LoadedEffect(L"skinmesh.cfx");
  if (!effect) return false;
  // The effect says how many bones its palette holds; a mesh with more is
  // drawn whole in its bind pose rather than partly animated.
  // The skin stream addresses at most kMaxSkinBones bones, whatever the effect holds.
  auto capacity = static_cast<UINT>(std::min<std::size_t>(effect->PaletteCapacity(), kMaxSkinBones));
  if (mesh.palette.size() > capacity || !mesh.IsSkinned()) {
    if (!mesh.paletteRefused)
      Report(FrameworkMessage::MeshBeyondPalette, ToUtf8(ShownName(mesh.record->name)).c_str(), mesh.palette.size(),
             capacity);
    mesh.paletteRefused = true;
    return DrawMesh(mesh);
  }
  return Draw(mesh, *effect, &mesh.palette);
}

bool Model::Draw() {
  if (!sceneData) return true;
  UpdatePose();
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    Mesh& mesh = meshes[i];
    if (!mesh.record) continue;
    // A skinned mesh's palette already carries its vertices to model space,
    // so only the model's world places it; its frame's matrix would apply a
    // second time.
    mesh.frameMatrix = MeshWorldMatrix(i);
    if (mesh.IsSkinned()) {
      UpdatePalette(i);
      DrawSkinnedMesh(mesh);
    } else if (!mesh.palette.empty()) {
      DrawSkinnedMesh(mesh);  // too many bones for the skin stream: drawn rigid, said once
    } else {
      DrawMesh(mesh);
    }
  }
  return true;
}
#endif

XFILE_SHAPE_END
