#include "NonFiniteNumbers.h"

#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "ConvertMessages.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

bool Finite(float value) { return std::isfinite(value); }
bool Finite(const D3DXVECTOR2& v) { return Finite(v.x) && Finite(v.y); }
bool Finite(const D3DXVECTOR3& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }
bool Finite(const D3DXQUATERNION& q) { return Finite(q.x) && Finite(q.y) && Finite(q.z) && Finite(q.w); }
bool Finite(const D3DXMATRIX& m) {
  for (int i = 0; i < 16; ++i)
    if (!Finite(m.m[i / 4][i % 4])) return false;
  return true;
}

float OrZero(float value) { return Finite(value) ? value : 0.0f; }

std::string Shown(const std::wstring& name) { return ToUtf8(ShownName(name)); }

// The frames' combined matrices in the file's pose (parents come first).
std::vector<D3DXMATRIX> FramePose(const XFileScene& scene) {
  std::unordered_map<const XFrame*, std::size_t> index;
  std::vector<D3DXMATRIX> pose(scene.frames.size());
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    const XFrame& frame = scene.frames[f];
    index.emplace(&frame, f);
    auto parent = frame.parent ? index.find(frame.parent) : index.end();
    if (parent == index.end()) {
      pose[f] = frame.transform;
    } else {
      D3DXMatrixMultiply(&pose[f], &frame.transform, &pose[parent->second]);
    }
  }
  return pose;
}

void ReplaceInMeshes(XFileScene& scene, const std::string& input, const std::vector<D3DXMATRIX>& pose) {
  std::unordered_map<std::wstring, std::size_t> firstNamed;
  for (std::size_t f = 0; f < scene.frames.size(); ++f) firstNamed.try_emplace(scene.frames[f].name, f);
  for (XMesh& mesh : scene.meshes) {
    std::size_t replaced = 0;
    for (XVertex& vertex : mesh.vertices) {
      if (Finite(vertex.position) && Finite(vertex.texCoord)) continue;
      ++replaced;
      vertex.position = D3DXVECTOR3(OrZero(vertex.position.x), OrZero(vertex.position.y), OrZero(vertex.position.z));
      vertex.texCoord = D3DXVECTOR2(OrZero(vertex.texCoord.x), OrZero(vertex.texCoord.y));
    }
    if (replaced > 0) Say(ConvertMessage::NonFiniteVertices, input.c_str(), Shown(mesh.name).c_str(), replaced);
    for (XBone& bone : mesh.bones) {
      if (Finite(bone.offset)) continue;
      Say(ConvertMessage::NonFiniteOffset, input.c_str(), Shown(mesh.name).c_str(), Shown(bone.name).c_str());
      bone.offset = IdentityMatrix();
      auto frame = firstNamed.find(bone.name);
      D3DXMATRIX inverse;
      if (frame != firstNamed.end() && D3DXMatrixInverse(&inverse, nullptr, &pose[frame->second]) && Finite(inverse))
        bone.offset = inverse;
    }
  }
}

template <class Key>
std::size_t DropNonFinite(std::map<std::uint32_t, Key>& keys) {
  std::size_t dropped = 0;
  for (auto key = keys.begin(); key != keys.end();) {
    if (Finite(key->second)) {
      ++key;
    } else {
      key = keys.erase(key);
      ++dropped;
    }
  }
  return dropped;
}

}  // namespace

void ReplaceNonFiniteNumbers(XFileScene& scene, const std::string& input) {
  for (XFrame& frame : scene.frames) {
    if (Finite(frame.transform)) continue;
    Say(ConvertMessage::NonFiniteFrame, input.c_str(), Shown(frame.name).c_str());
    frame.transform = IdentityMatrix();
  }
  ReplaceInMeshes(scene, input, FramePose(scene));
  for (XAnimationSet& set : scene.animationSets) {
    std::size_t dropped = 0;
    for (XAnimation& animation : set.animations)
      dropped += DropNonFinite(animation.rotationKeys) + DropNonFinite(animation.scaleKeys) +
                 DropNonFinite(animation.positionKeys) + DropNonFinite(animation.matrixKeys);
    if (dropped > 0) Say(ConvertMessage::NonFiniteKeys, input.c_str(), Shown(set.name).c_str(), dropped);
  }
}

}  // namespace xfileconvert
