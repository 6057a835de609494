// Hand-built parsed scenes and matrix checks for the tests of the drawable
// objects.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "xfile/XFileRecords.h"

namespace modeltest {

inline D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

inline D3DXMATRIX RotationY(float radians) {
  D3DXMATRIX m;
  D3DXMatrixRotationY(&m, radians);
  return m;
}

inline D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &a, &b);
  return m;
}

inline D3DXMATRIX Inverse(const D3DXMATRIX& m) {
  D3DXMATRIX inverse;
  D3DXMatrixInverse(&inverse, nullptr, &m);
  return inverse;
}

inline D3DXVECTOR3 Transform(const D3DXVECTOR3& point, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &point, &m);
  return out;
}

inline void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      EXPECT_NEAR(actual.m[row][col], expected.m[row][col], tolerance) << "at row " << row << ", column " << col;
}

inline void ExpectPointNear(const D3DXVECTOR3& actual, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, x, tolerance);
  EXPECT_NEAR(actual.y, y, tolerance);
  EXPECT_NEAR(actual.z, z, tolerance);
}

#if !defined(XVIEW_REDUCED_MODEL)
// Adds a frame under `parent` (null: at the top) after the others and returns it.
inline XFrame& AddFrame(XFileScene& scene, const std::wstring& name, XFrame* parent, const D3DXMATRIX& transform) {
  XFrame& frame = scene.frames.emplace_back();
  frame.name = name;
  frame.parent = parent;
  frame.transform = transform;
  return frame;
}

// A set of one animation of `frameName`; the caller fills its keys.
inline XAnimation& AddAnimation(XFileScene& scene, const std::wstring& frameName, std::int32_t lastKeyTime) {
  if (scene.animationSets.empty()) scene.animationSets.emplace_back();
  XAnimationSet& set = scene.animationSets.back();
  set.lastKeyTime = std::max(set.lastKeyTime, lastKeyTime);
  set.animations.emplace_back();
  set.animations.back().frameName = frameName;
  return set.animations.back();
}
#endif

}  // namespace modeltest

namespace modeltest {

// A mesh record of `faces` triangles over `faces` + 2 vertices in a fan,
// lying in the XY plane facing -Z, with normals and texture coordinates,
// one material and one subset.
inline XMesh FanMesh(std::size_t faces) {
  XMesh mesh;
  mesh.name = L"fan";
  mesh.flags = HasPositions | HasNormals | HasTexCoords;
  for (std::size_t i = 0; i < faces + 2; ++i) {
    XVertex v;
    float angle = 3.14159265f * static_cast<float>(i) / static_cast<float>(faces + 1);
    v.position = D3DXVECTOR3(std::cos(angle), std::sin(angle), 0);
    v.normal = D3DXVECTOR3(0, 0, -1);
    v.texCoord = D3DXVECTOR2(0.5f + 0.5f * std::cos(angle), 0.5f - 0.5f * std::sin(angle));
    mesh.vertices.push_back(v);
  }
  for (std::size_t f = 0; f < faces; ++f)
    mesh.faces.push_back({0, {0, static_cast<std::int32_t>(f + 2), static_cast<std::int32_t>(f + 1)}});
  mesh.materials.emplace_back();
  mesh.subsets.push_back({static_cast<std::uint32_t>(faces), 0, 0});
  return mesh;
}

}  // namespace modeltest
