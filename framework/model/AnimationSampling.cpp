// Key-frame sampling: the local matrix of every animated frame at one tick.
// Each channel keeps a cursor into its ordered key map (see KeyCursor); the
// key pair chosen is the one a walk from the first key would choose.
#include <cmath>

#include "model/Model.h"

XFILE_SHAPE_BEGIN

namespace {

// The key pair around `tick`: the cursor's next key is the first one later
// than the tick, the previous key the one before it. False when the tick lies
// before the first key or at or after the last one; the caller then takes
// the last key.
// Key times are whole ticks, so the pair around a fractional tick is the pair
// around its whole part; at a whole tick t is what whole numbers give.
template <class Value>
bool KeyPair(const std::map<std::uint32_t, Value>& keys, double tick, KeyCursor<Value>& cursor, float& t) {
  cursor.Seek(keys, static_cast<std::uint32_t>(tick));
  auto previous = cursor.Previous(), next = cursor.Next();
  if (next == keys.end() || previous == keys.end()) return false;
  t = static_cast<float>(tick - static_cast<double>(previous->first)) /
      static_cast<float>(next->first - previous->first);
  return true;
}

inline float Mix(float a, float b, float t) { return (1.0f - t) * a + t * b; }

D3DXVECTOR3 SampleVector(const std::map<std::uint32_t, D3DXVECTOR3>& keys, double tick,
                         KeyCursor<D3DXVECTOR3>& cursor, const D3DXVECTOR3& neutral) {
  if (keys.empty()) return neutral;
  float t = 0.0f;
  if (!KeyPair(keys, tick, cursor, t)) return keys.rbegin()->second;
  const D3DXVECTOR3& a = cursor.Previous()->second;
  const D3DXVECTOR3& b = cursor.Next()->second;
  return D3DXVECTOR3(Mix(a.x, b.x, t), Mix(a.y, b.y, t), Mix(a.z, b.z, t));
}

D3DXQUATERNION SampleRotation(const std::map<std::uint32_t, D3DXQUATERNION>& keys, double tick,
                              KeyCursor<D3DXQUATERNION>& cursor) {
  if (keys.empty()) return D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
  float t = 0.0f;
  if (!KeyPair(keys, tick, cursor, t)) return keys.rbegin()->second;
  const D3DXQUATERNION& a = cursor.Previous()->second;
  const D3DXQUATERNION& b = cursor.Next()->second;
  return D3DXQUATERNION(Mix(a.x, b.x, t), Mix(a.y, b.y, t), Mix(a.z, b.z, t), Mix(a.w, b.w, t));
}

// A key at the tick itself is taken as it is, without blending.
D3DXMATRIX SampleMatrix(const std::map<std::uint32_t, D3DXMATRIX>& keys, double tick,
                        KeyCursor<D3DXMATRIX>& cursor) {
  float t = 0.0f;
  bool between = KeyPair(keys, tick, cursor, t);
  if (cursor.Previous() != keys.end() && static_cast<double>(cursor.Previous()->first) == tick)
    return cursor.Previous()->second;
  if (!between) return keys.rbegin()->second;
  return BlendMatrices(t, cursor.Previous()->second, cursor.Next()->second);
}

}  // namespace

// The local matrix of one animation: its matrix keys when it has any, else
// scale x rotation x translation from the three channels. The rotation key's
// w is negated before the conversion, as the file's quaternions expect.
D3DXMATRIX SampleLocalMatrix(const XAnimation& animation, double tick, AnimationCursors& cursors) {
  if (!animation.matrixKeys.empty()) return SampleMatrix(animation.matrixKeys, tick, cursors.matrix);
  D3DXQUATERNION q = SampleRotation(animation.rotationKeys, tick, cursors.rotation);
  q.w = -q.w;
  D3DXVECTOR3 s = SampleVector(animation.scaleKeys, tick, cursors.scale, D3DXVECTOR3(1.0f, 1.0f, 1.0f));
  D3DXVECTOR3 p = SampleVector(animation.positionKeys, tick, cursors.position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
  D3DXMATRIX scaling, rotation, translation, local;
  D3DXMatrixScaling(&scaling, s.x, s.y, s.z);
  D3DXMatrixRotationQuaternion(&rotation, &q);
  D3DXMatrixTranslation(&translation, p.x, p.y, p.z);
  D3DXMatrixMultiply(&local, &scaling, &rotation);
  D3DXMatrixMultiply(&local, &local, &translation);
  return local;
}

namespace {

// Divides the first three entries of each of the first three rows by their
// length; a zero-length row becomes the identity's row with scale 0.
void SplitScale(const D3DXMATRIX& m, D3DXMATRIX& unit, float scales[3]) {
  unit = m;
  for (int row = 0; row < 3; ++row) {
    float x = m.m[row][0], y = m.m[row][1], z = m.m[row][2];
    float length = std::sqrt(x * x + y * y + z * z);
    scales[row] = length;
    for (int col = 0; col < 3; ++col)
      unit.m[row][col] = length > 0.0f ? m.m[row][col] / length : (row == col ? 1.0f : 0.0f);
  }
}

}  // namespace

D3DXMATRIX BlendMatrices(float t, const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX unitA, unitB;
  float scaleA[3], scaleB[3];
  SplitScale(a, unitA, scaleA);
  SplitScale(b, unitB, scaleB);
  D3DXQUATERNION qa, qb, q;
  D3DXQuaternionRotationMatrix(&qa, &unitA);
  D3DXQuaternionRotationMatrix(&qb, &unitB);
  D3DXQuaternionSlerp(&q, &qa, &qb, t);
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  for (int col = 0; col < 3; ++col) m.m[3][col] = Mix(a.m[3][col], b.m[3][col], t);
  m.m[3][3] = 1.0f;
  for (int row = 0; row < 3; ++row) {
    float scale = Mix(scaleA[row], scaleB[row], t);
    for (int col = 0; col < 3; ++col) m.m[row][col] *= scale;
  }
  return m;
}

void Model::SampleAnimation() {
  if (!sceneData || animationSet >= sceneData->animationSets.size() || animationSet >= animated_.size()) return;
  const XAnimationSet& set = sceneData->animationSets[animationSet];
  // Ticks outside the unsigned 32-bit range of the key times match no key.
  if (!(animationTick >= 0.0) || animationTick >= 4294967296.0 ||
      animationTick > static_cast<double>(static_cast<std::uint32_t>(set.lastKeyTime)))
    return;
  std::vector<AnimatedFrame>& targets = animated_[animationSet];
  for (std::size_t i = 0; i < set.animations.size() && i < targets.size(); ++i)
    if (targets[i].frame)
      targets[i].frame->transform = SampleLocalMatrix(set.animations[i], animationTick, targets[i].cursors);
}

XFILE_SHAPE_END
