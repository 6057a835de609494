// One parsed mesh record made drawable: its placement (Object3D), the matrix
// that places it in the world (its frames and its model's placement), and its
// device objects (Stream). In the character shape it also carries the bone
// palette of a skinned mesh.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/Object3D.h"
#include "model/Stream.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// Bone indices in the skin stream are one byte wide: a mesh of more bones is
// drawn unskinned.
inline constexpr std::size_t kMaxSkinBones = 256;

class Mesh : public Object3D, public Stream {
 public:
  Mesh();
  Mesh(Mesh&&) noexcept = default;
  ~Mesh() override;

  // Stores `meshRecord`, chooses the streams from its content flags
  // (positions with normals, texture coordinates, skin), sizes the palette to
  // its bones and builds the device objects. False only for a null record; a
  // mesh whose device objects cannot be built stays unbuilt and is not drawn.
  bool Setup(const XMesh* meshRecord, IDirect3DDevice9* device);

#if !defined(XVIEW_REDUCED_MODEL)
  // palette[i] = offset of bone i x frameMatrices[boneFrames[i]], taking a
  // bind-pose point of the mesh to model space as the bone now moves it.
  // `boneFrames` holds one frame index per bone of `record`; a bone whose
  // index is negative or outside frameMatrices keeps its vertices in the bind
  // pose (identity). Reads `record`'s bones; writes `palette`.
  void UpdatePalette(const std::vector<D3DXMATRIX>& frameMatrices, const std::vector<std::int32_t>& boneFrames);

  // True when the mesh is drawn skinned: its record has bones and the skin
  // stream was built (a mesh of more bones than the stream can address is not).
  bool IsSkinned() const;

  // The palette matrices of `vertex`'s first four influences, each times its
  // weight as the file gives it, summed: what the skin shader moves the
  // vertex and its normal by. False, leaving `skin` alone, for a vertex whose
  // weights are all zero (the shader leaves it in the bind pose); a bone
  // outside the palette counts for nothing. Reads `palette`.
  bool BlendedSkin(const XVertex& vertex, D3DXMATRIX& skin) const;
#endif

  const XMesh* record;  // not owned: the model registry keeps the parsed file
  std::uint32_t flags;  // the stream kinds requested at set-up
  D3DXMATRIX frameMatrix;  // mesh space to world space, written before every draw (identity until then)
#if !defined(XVIEW_REDUCED_MODEL)
  std::vector<D3DXMATRIX> palette;  // one matrix per bone of the record
  bool paletteRefused = false;      // more bones than the skinning effect holds; said once

#endif
};

#if !defined(XVIEW_REDUCED_MODEL)
// A point moved by a blended skin matrix, whose weights need not add up to
// one: the shader takes x, y and z and divides by nothing.
inline D3DXVECTOR3 SkinnedPoint(const D3DXVECTOR3& point, const D3DXMATRIX& skin) {
  D3DXVECTOR4 moved;
  D3DXVec3Transform(&moved, &point, &skin);
  return D3DXVECTOR3(moved.x, moved.y, moved.z);
}
#endif

XFILE_SHAPE_END
