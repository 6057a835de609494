// The records that a parsed model file is turned into: plain structures that
// hold the file's content after triangulation, normals, tangents and the
// sorting of faces into material subsets. Nothing here refers to Direct3D
// objects.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "xfile/InlineList.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

enum XMeshFlags : std::uint32_t {
  HasPositions = 0x01,
  HasNormals = 0x02,
  HasTangents = 0x04,
  HasTexCoords = 0x08,
  HasColors = 0x10,
  HasSkin = 0x20,
};

inline D3DXMATRIX IdentityMatrix() { return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1); }

// Colours of the records: plain floats, as the file gives them.
struct XColorRGB {
  float r = 0, g = 0, b = 0;
};

struct XColorRGBA {
  float r = 0, g = 0, b = 0, a = 0;
};

#if !defined(XVIEW_REDUCED_MODEL)
// An influence names its bone in sixteen bits, so a mesh keeps at most this
// many bones.
inline constexpr std::size_t kMostBonesPerMesh = 65536;

struct XSkinInfluence {
  float weight = 0;
  // Sixteen bits, so that every SkinWeights record of a mesh keeps its
  // influences; the skin stream narrows it for meshes the palette holds.
  std::uint16_t bone = 0;
};
#endif

struct XVertex {
  D3DXVECTOR3 position = D3DXVECTOR3(0, 0, 0);
  D3DXVECTOR3 normal = D3DXVECTOR3(0, 0, 0);
  D3DXVECTOR4 tangent = D3DXVECTOR4(0, 0, 0, 0);
  D3DXVECTOR2 texCoord = D3DXVECTOR2(0, 0);
  XColorRGBA color;
#if !defined(XVIEW_REDUCED_MODEL)
  InlineList<XSkinInfluence, 4> influences;
#endif
};

// A face's corners are held in place up to a quad.
using XCorners = InlineList<std::int32_t, 4>;

struct XFace {
  std::int32_t material = 0;
  XCorners corners;
};

struct XSubset {
  std::uint32_t faceCount = 0;
  std::uint32_t firstFace = 0;
  std::int32_t material = 0;
};

// A material that no Material record fills draws opaque white, untextured.
struct XMaterial {
  std::wstring name;
  XColorRGBA diffuse{1, 1, 1, 1};
  XColorRGBA emissive;
  XColorRGB specular;
  float power = 0;
  std::array<std::wstring, 4> textureFiles;
};

#if !defined(XVIEW_REDUCED_MODEL)
struct XBone {
  std::wstring name;
  D3DXMATRIX offset = IdentityMatrix();
};

// Every Frame record is a frame of its own: its name is data only (empty when
// the record has none, and several records may share one).
struct XFrame {
  std::wstring name;
  D3DXMATRIX transform = IdentityMatrix();
  XFrame* parent = nullptr;
};
#endif

struct XMesh {
  std::wstring name;
  std::uint32_t flags = 0;
  std::vector<XVertex> vertices;
  std::vector<XFace> faces;
  std::vector<XSubset> subsets;
  std::vector<XMaterial> materials;
#if !defined(XVIEW_REDUCED_MODEL)
  std::vector<XBone> bones;
  XFrame* frame = nullptr;
#else
  // The reduced shape keeps no frames: a static model's frames never move, so
  // each mesh keeps what its enclosing frames' transforms combine to (its
  // frame's, then its parent's, out to the top), taking its points to model
  // space. The identity outside every frame, and for a skinned mesh, whose
  // vertices lie in model space already.
  D3DXMATRIX frameTransform = IdentityMatrix();
#endif
};

#if !defined(XVIEW_REDUCED_MODEL)
// Key maps run by ascending tick as an unsigned number: a negative time
// written in the file sorts after every non-negative one.
struct XAnimation {
  std::wstring frameName;
  std::map<std::uint32_t, D3DXQUATERNION> rotationKeys;
  std::map<std::uint32_t, D3DXVECTOR3> scaleKeys;
  std::map<std::uint32_t, D3DXVECTOR3> positionKeys;
  std::map<std::uint32_t, D3DXMATRIX> matrixKeys;
};

struct XAnimationSet {
  std::wstring name;
  std::int32_t lastKeyTime = 0;
  std::vector<XAnimation> animations;
};

// The frames in file order: a frame's index there is its identity, and a
// parent always comes before its children. A deque keeps each frame at its
// address as more are added, which the frame pointers of frames and meshes
// rely on.
struct XFileScene {
  std::deque<XFrame> frames;
  std::int32_t ticksPerSecond = 60;
  std::vector<XAnimationSet> animationSets;
  std::vector<XMesh> meshes;
};

// What one model file holds in this shape.
using XModelContent = XFileScene;
inline const std::vector<XMesh>& MeshesOf(const XFileScene& scene) { return scene.meshes; }
inline std::vector<XMesh>& MeshesOf(XFileScene& scene) { return scene.meshes; }
#else
using XModelContent = std::vector<XMesh>;
inline const std::vector<XMesh>& MeshesOf(const std::vector<XMesh>& meshes) { return meshes; }
inline std::vector<XMesh>& MeshesOf(std::vector<XMesh>& meshes) { return meshes; }
#endif

// The texture files a model's materials name, each once.
inline std::set<std::wstring> TexturesOf(const XModelContent& content) {
  std::set<std::wstring> names;
  for (const XMesh& mesh : MeshesOf(content))
    for (const XMaterial& material : mesh.materials)
      for (const std::wstring& texture : material.textureFiles)
        if (!texture.empty()) names.insert(texture);
  return names;
}

XFILE_SHAPE_END
