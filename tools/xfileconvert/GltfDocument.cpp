#include "GltfDocument.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace xfileconvert {

std::size_t ComponentsOf(const char* type) {
  if (std::strcmp(type, "VEC2") == 0) return 2;
  if (std::strcmp(type, "VEC3") == 0) return 3;
  if (std::strcmp(type, "VEC4") == 0) return 4;
  if (std::strcmp(type, "MAT4") == 0) return 16;
  return 1;
}

namespace {

std::size_t ComponentBytes(int componentType) {
  switch (componentType) {
    case kUnsignedByte: return 1;
    case kUnsignedShort: return 2;
    default: return 4;
  }
}

}  // namespace

bool GltfMaterial::operator<(const GltfMaterial& other) const {
  return std::tie(name, baseColor, emissive, roughness, baseColorTexture, mask) <
         std::tie(other.name, other.baseColor, other.emissive, other.roughness, other.baseColorTexture, other.mask);
}

int GltfDocument::AddBufferView(const void* bytes, std::size_t size, int target) {
  binary.resize((binary.size() + 3) & ~std::size_t{3}, '\0');
  GltfBufferView view;
  view.offset = binary.size();
  view.length = size;
  view.target = target;
  binary.append(static_cast<const char*>(bytes), size);
  bufferViews.push_back(view);
  return static_cast<int>(bufferViews.size() - 1);
}

int GltfDocument::AddAccessor(const void* data, std::size_t count, int componentType, const char* type,
                              int target) {
  GltfAccessor accessor;
  accessor.bufferView = AddBufferView(data, count * ComponentsOf(type) * ComponentBytes(componentType), target);
  accessor.componentType = componentType;
  accessor.count = count;
  accessor.type = type;
  accessors.push_back(accessor);
  return static_cast<int>(accessors.size() - 1);
}

int GltfDocument::AddFloatAccessor(const float* data, std::size_t count, const char* type, int target,
                                   bool bounds) {
  int index = AddAccessor(data, count, kFloat, type, target);
  if (bounds && count > 0) {
    const std::size_t n = ComponentsOf(type);
    GltfAccessor& accessor = accessors[static_cast<std::size_t>(index)];
    accessor.min.assign(data, data + n);
    accessor.max.assign(data, data + n);
    for (std::size_t i = 1; i < count; ++i)
      for (std::size_t c = 0; c < n; ++c) {
        accessor.min[c] = std::min(accessor.min[c], data[i * n + c]);
        accessor.max[c] = std::max(accessor.max[c], data[i * n + c]);
      }
  }
  return index;
}

int GltfDocument::AddTimes(const std::vector<float>& times) {
  auto found = timeAccessors_.find(times);
  if (found != timeAccessors_.end()) return found->second;
  int index = AddFloatAccessor(times.data(), times.size(), "SCALAR", kNoTarget, true);
  timeAccessors_.emplace(times, index);
  return index;
}

}  // namespace xfileconvert
