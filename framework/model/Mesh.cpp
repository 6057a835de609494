#include "model/Mesh.h"

#include <cstdio>

#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

XFILE_SHAPE_BEGIN

Mesh::Mesh() : record(nullptr), flags(0) { D3DXMatrixIdentity(&frameMatrix); }

Mesh::~Mesh() {}

bool Mesh::Setup(const XMesh* meshRecord, IDirect3DDevice9* device) {
  if (!meshRecord) return false;
  record = meshRecord;
  if ((record->flags & HasPositions) && (record->flags & HasNormals)) flags |= STREAM_POSITION_NORMAL;
  if (record->flags & HasTexCoords) flags |= STREAM_TEXCOORD;
#if !defined(XVIEW_REDUCED_MODEL)
  if (record->flags & HasSkin) {
    palette.assign(record->bones.size(), D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    // A mesh with more bones than the stream addresses is drawn rigid; the
    // drawing says so, with the capacity of the effect's palette.
    if (record->bones.size() <= kMaxSkinBones) flags |= STREAM_SKIN;
  }
#endif
  Build(device, record, flags);
  return true;
}

#if !defined(XVIEW_REDUCED_MODEL)
bool Mesh::IsSkinned() const { return record && !record->bones.empty() && (flags & STREAM_SKIN); }

bool Mesh::BlendedSkin(const XVertex& vertex, D3DXMATRIX& skin) const {
  D3DXMATRIX sum(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  bool weighted = false;
  for (std::size_t j = 0; j < 4 && j < vertex.influences.size(); ++j) {
    const XSkinInfluence& influence = vertex.influences[j];
    weighted = weighted || influence.weight != 0.0f;
    if (influence.bone >= palette.size()) continue;
    D3DXMATRIX weightedBone = palette[influence.bone];
    weightedBone *= influence.weight;
    sum += weightedBone;
  }
  if (weighted) skin = sum;
  return weighted;
}

void Mesh::UpdatePalette(const std::vector<D3DXMATRIX>& frameMatrices, const std::vector<std::int32_t>& boneFrames) {
  if (!record) return;
  const std::vector<XBone>& bones = record->bones;
  palette.resize(bones.size());
  for (std::size_t i = 0; i < bones.size(); ++i) {
    std::int32_t frame = i < boneFrames.size() ? boneFrames[i] : -1;
    if (frame >= 0 && static_cast<std::size_t>(frame) < frameMatrices.size()) {
      D3DXMatrixMultiply(&palette[i], &bones[i].offset, &frameMatrices[static_cast<std::size_t>(frame)]);
    } else {
      D3DXMatrixIdentity(&palette[i]);
    }
  }
}
#endif

XFILE_SHAPE_END
