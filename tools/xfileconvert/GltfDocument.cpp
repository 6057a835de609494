#include "GltfDocument.h"

#include <algorithm>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#include <cstdlib>
#include <cstring>
#include <new>
#include <tuple>
#include <utility>

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
    case kUnsignedByte:
      return 1;
    case kUnsignedShort:
      return 2;
    default:
      return 4;
  }
}

}  // namespace

GltfBuffer::GltfBuffer(GltfBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      made_(std::exchange(other.made_, 0)) {}

GltfBuffer& GltfBuffer::operator=(GltfBuffer&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  std::swap(made_, other.made_);
  return *this;
}

#if defined(__linux__)
namespace {
constexpr std::size_t kMadeAhead = std::size_t{2} << 20;
constexpr std::size_t kPageBytes = 4096;
}  // namespace

GltfBuffer::~GltfBuffer() {
  if (data_) munmap(data_, capacity_);
}

void GltfBuffer::Reserve(std::size_t capacity) {
  capacity = (capacity + kPageBytes - 1) / kPageBytes * kPageBytes;
  if (capacity <= capacity_) return;
  void* grown = data_ ? mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                      : mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (grown == MAP_FAILED) throw std::bad_alloc();
  madvise(grown, capacity, MADV_HUGEPAGE);
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
}

void GltfBuffer::MakeAhead() {
  if (size_ <= made_) return;
  const std::size_t from = made_ / kPageBytes * kPageBytes;
  made_ = std::min(capacity_, (size_ + kMadeAhead - 1) / kMadeAhead * kMadeAhead);
  // Where the kernel cannot, the pages come one fault at a time as before.
  madvise(data_ + from, made_ - from, MADV_POPULATE_WRITE);
}
#else
GltfBuffer::~GltfBuffer() { std::free(data_); }

void GltfBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (!grown) throw std::bad_alloc();
  data_ = grown;
  capacity_ = capacity;
}

void GltfBuffer::MakeAhead() {}
#endif

// Mapped memory comes zeroed and is never used twice; the heap's is cleared.
#if defined(__linux__)
constexpr bool kGrowsZeroed = true;
#else
constexpr bool kGrowsZeroed = false;
#endif

std::size_t GltfBuffer::Grow(std::size_t bytes) {
  const std::size_t offset = (size_ + 3) & ~std::size_t{3};
  if (bytes > SIZE_MAX / 2 - offset) throw std::bad_alloc();
  if (offset + bytes > capacity_) Reserve(std::max(offset + bytes, capacity_ + capacity_ / 2));
  std::memset(data_ + size_, 0, offset - size_);
  if (!kGrowsZeroed) std::memset(data_ + offset, 0, bytes);
  size_ = offset + bytes;
  MakeAhead();
  return offset;
}

bool GltfMaterial::operator<(const GltfMaterial& other) const {
  return std::tie(name, baseColor, emissive, roughness, baseColorTexture, mask) <
         std::tie(other.name, other.baseColor, other.emissive, other.roughness, other.baseColorTexture, other.mask);
}

int GltfDocument::AddBufferView(const void* bytes, std::size_t size, int target) {
  GltfBufferView view;
  view.offset = binary.Grow(size);
  view.length = size;
  view.target = target;
  if (size > 0) std::memcpy(binary.data() + view.offset, bytes, size);
  bufferViews.push_back(view);
  return static_cast<int>(bufferViews.size() - 1);
}

int GltfDocument::AddAccessor(std::size_t count, int componentType, const char* type, int target) {
  GltfBufferView view;
  view.length = count * ComponentsOf(type) * ComponentBytes(componentType);
  view.offset = binary.Grow(view.length);
  view.target = target;
  bufferViews.push_back(view);
  GltfAccessor accessor;
  accessor.bufferView = static_cast<int>(bufferViews.size() - 1);
  accessor.componentType = componentType;
  accessor.count = count;
  accessor.type = type;
  accessors.push_back(accessor);
  return static_cast<int>(accessors.size() - 1);
}

int GltfDocument::AddAccessor(const void* data, std::size_t count, int componentType, const char* type, int target) {
  const int index = AddAccessor(count, componentType, type, target);
  const GltfBufferView& view = bufferViews[static_cast<std::size_t>(accessors.back().bufferView)];
  if (view.length > 0) std::memcpy(binary.data() + view.offset, data, view.length);
  return index;
}

void GltfDocument::SetBounds(int index) {
  GltfAccessor& accessor = accessors[static_cast<std::size_t>(index)];
  if (accessor.count == 0) return;
  const float* data = Data<float>(index);
  const std::size_t n = ComponentsOf(accessor.type);
  accessor.min.assign(data, data + n);
  accessor.max.assign(data, data + n);
  for (std::size_t i = 1; i < accessor.count; ++i)
    for (std::size_t c = 0; c < n; ++c) {
      accessor.min[c] = std::min(accessor.min[c], data[i * n + c]);
      accessor.max[c] = std::max(accessor.max[c], data[i * n + c]);
    }
}

int GltfDocument::AddTimes(const std::vector<float>& times) {
  auto found = timeAccessors_.find(times);
  if (found != timeAccessors_.end()) return found->second;
  const int index = AddAccessor(times.data(), times.size(), kFloat, "SCALAR", kNoTarget);
  SetBounds(index);
  timeAccessors_.emplace(times, index);
  return index;
}

}  // namespace xfileconvert
