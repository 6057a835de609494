// A glTF 2.0 asset as the converter builds it: plain records of the parts
// glTF defines, and one binary buffer that every accessor and embedded image
// lies in. GltfFiles.h writes it as .glb or .gltf.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace xfileconvert {

// Accessor component types and buffer view targets, by glTF's numbers.
enum GltfComponent : int {
  kUnsignedByte = 5121,
  kUnsignedShort = 5123,
  kUnsignedInt = 5125,
  kFloat = 5126,
};
enum GltfTarget : int {
  kNoTarget = 0,
  kArrayBuffer = 34962,
  kElementArrayBuffer = 34963,
};

// The one binary buffer. It grows without clearing what it adds: whoever
// adds room fills it at once, so the bytes are written once, not twice. On
// Linux its memory is mapped, and made ahead in steps of 2 MiB at a time: a
// virtual machine's page faults cost far more than the memory they bring.
class GltfBuffer {
 public:
  GltfBuffer() = default;
  GltfBuffer(GltfBuffer&& other) noexcept;
  GltfBuffer& operator=(GltfBuffer&& other) noexcept;
  GltfBuffer(const GltfBuffer&) = delete;
  GltfBuffer& operator=(const GltfBuffer&) = delete;
  ~GltfBuffer();

  // Makes room for `capacity` bytes in all, so that growing to it copies nothing.
  void Reserve(std::size_t capacity);
  // Adds `bytes` of zero at the end, 4-byte aligned; returns their offset.
  // Throws std::bad_alloc when memory runs out.
  std::size_t Grow(std::size_t bytes);
  // Zero bytes up to a multiple of 4.
  void PadTo4() { Grow(0); }

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  void MakeAhead();

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t made_ = 0;  // bytes from the start whose pages exist
};

struct GltfBufferView {
  std::size_t offset = 0;
  std::size_t length = 0;
  int target = kNoTarget;
};

struct GltfAccessor {
  int bufferView = -1;
  int componentType = kFloat;
  std::size_t count = 0;
  const char* type = "SCALAR";  // SCALAR, VEC2, VEC3, VEC4, MAT4
  std::vector<float> min, max;  // empty unless glTF asks for them
};

struct GltfNode {
  std::wstring name;
  std::vector<int> children;
  std::array<float, 3> translation{0, 0, 0};
  std::array<float, 4> rotation{0, 0, 0, 1};  // x, y, z, w
  std::array<float, 3> scale{1, 1, 1};
  int mesh = -1;
  int skin = -1;
};

struct GltfPrimitive {
  std::map<std::string, int> attributes;  // semantic -> accessor
  int indices = -1;
  int material = -1;
};

struct GltfMesh {
  std::wstring name;
  std::vector<GltfPrimitive> primitives;
};

struct GltfMaterial {
  std::wstring name;
  std::array<float, 4> baseColor{1, 1, 1, 1};
  std::array<float, 3> emissive{0, 0, 0};
  float roughness = 1;
  int baseColorTexture = -1;  // texture index
  bool mask = false;          // alphaMode MASK, cutoff 0.5; else OPAQUE
  bool operator<(const GltfMaterial& other) const;
};

// An image's file: embedded in the buffer (.glb) or written beside (.gltf).
struct GltfImage {
  std::string mimeType;  // image/png or image/jpeg
  std::string bytes;
  std::string fileName;  // a name for it beside a .gltf, without folder
  int bufferView = -1;   // set when it is embedded
};

struct GltfSkin {
  std::wstring name;
  int inverseBindMatrices = -1;
  std::vector<int> joints;
  int skeleton = -1;
};

struct GltfChannel {
  int sampler = 0;
  int node = 0;
  const char* path = "translation";  // translation, rotation or scale
};

struct GltfAnimationSampler {
  int input = -1;
  int output = -1;
};

struct GltfAnimation {
  std::wstring name;
  std::vector<GltfChannel> channels;
  std::vector<GltfAnimationSampler> samplers;
};

struct GltfDocument {
  std::string generator;
  std::vector<GltfNode> nodes;
  std::vector<int> sceneNodes;
  std::vector<GltfMesh> meshes;
  std::vector<GltfMaterial> materials;
  std::vector<int> textures;  // texture -> image; one sampler serves them all
  std::vector<GltfImage> images;
  std::vector<GltfSkin> skins;
  std::vector<GltfAnimation> animations;
  std::vector<GltfAccessor> accessors;
  std::vector<GltfBufferView> bufferViews;
  GltfBuffer binary;

  // Appends `bytes` as a buffer view of its own, 4-byte aligned; returns its index.
  int AddBufferView(const void* bytes, std::size_t size, int target);
  // Appends room for `count` elements of `type` made of `componentType`, in a
  // buffer view of their own; returns the accessor's index. The caller fills
  // the room through Data before anything else is appended.
  int AddAccessor(std::size_t count, int componentType, const char* type, int target);
  template <class T>
  T* Data(int accessor) {
    const GltfAccessor& a = accessors[static_cast<std::size_t>(accessor)];
    return reinterpret_cast<T*>(binary.data() + bufferViews[static_cast<std::size_t>(a.bufferView)].offset);
  }
  // Sets a float accessor's min and max per component from its data (glTF
  // asks them of positions and animation times).
  void SetBounds(int accessor);
  // An accessor holding a copy of `data`.
  int AddAccessor(const void* data, std::size_t count, int componentType, const char* type, int target);
  // An animation input accessor of `times` (seconds); the same times share one.
  int AddTimes(const std::vector<float>& times);

 private:
  std::map<std::vector<float>, int> timeAccessors_;
};

// Components of an accessor type: 1 for SCALAR ... 16 for MAT4.
std::size_t ComponentsOf(const char* type);

}  // namespace xfileconvert
