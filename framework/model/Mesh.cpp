#include "model/Mesh.h"

#include <cstdio>

#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

XFILE_SHAPE_BEGIN

Mesh::Mesh() : record(nullptr), flags(0) {
#if !defined(XVIEW_REDUCED_MODEL)
  D3DXMatrixIdentity(&frameMatrix);
#endif
}

Mesh::~Mesh() {}

bool Mesh::Setup(const XMesh* meshRecord, IDirect3DDevice9* device) {
  if (!meshRecord) return false;
  record = meshRecord;
  if ((record->flags & HasPositions) && (record->flags & HasNormals)) flags |= STREAM_POSITION_NORMAL;
  if (record->flags & HasTexCoords) flags |= STREAM_TEXCOORD;
#if !defined(XVIEW_REDUCED_MODEL)
  if (record->flags & HasSkin) {
    palette.assign(record->bones.size(), D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    if (record->bones.size() <= kMaxSkinBones) {
      flags |= STREAM_SKIN;
    } else {
      std::fprintf(stderr,
                   "mesh %s: %zu bones are more than the %zu that one-byte bone indices address; "
                   "it is drawn unskinned in its bind pose\n",
                   ToUtf8(ShownName(record->name)).c_str(), record->bones.size(), kMaxSkinBones);
    }
  }
#endif
  Build(device, record, flags);
  return true;
}

#if !defined(XVIEW_REDUCED_MODEL)
bool Mesh::IsSkinned() const { return record && !record->bones.empty() && (flags & STREAM_SKIN); }

void Mesh::UpdatePalette(const std::map<std::wstring, D3DXMATRIX>& frameMatrices) {
  if (!record) return;
  const std::vector<XBone>& bones = record->bones;
  if (bones.empty()) return;
  if (resolvedFrames_ != &frameMatrices || resolvedFrameCount_ != frameMatrices.size() ||
      boneFrames_.size() != bones.size()) {
    boneFrames_.clear();
    for (const XBone& bone : bones) {
      auto found = frameMatrices.find(bone.name);
      boneFrames_.push_back(found == frameMatrices.end() ? nullptr : &found->second);
    }
    resolvedFrames_ = &frameMatrices;
    resolvedFrameCount_ = frameMatrices.size();
  }
  palette.resize(bones.size());
  for (std::size_t i = 0; i < bones.size(); ++i) {
    if (boneFrames_[i]) {
      D3DXMatrixMultiply(&palette[i], &bones[i].offset, boneFrames_[i]);
    } else {
      D3DXMatrixIdentity(&palette[i]);
    }
  }
}
#endif

XFILE_SHAPE_END
