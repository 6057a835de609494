#include "xfile/RecordMemory.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XFILE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define XFILE_ADDRESS_SANITIZER 1
#endif

#if defined(__linux__) && !defined(XFILE_ADDRESS_SANITIZER)
#define XFILE_HUGE_PAGES 1
#include <sys/mman.h>

#include <cstdint>
#endif

XFILE_SHAPE_BEGIN

#if defined(XFILE_HUGE_PAGES)

namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
// From half a huge page up, a block is mapped in whole huge pages: the
// rounding adds at most as much again to the smallest such block, and
// nothing to speak of to the large ones.
constexpr std::size_t kSmallestMappedBlock = kHugePageBytes / 2;
constexpr std::size_t kLargestBlock = std::numeric_limits<std::size_t>::max() / 2;

bool IsMapped(std::size_t bytes) { return bytes >= kSmallestMappedBlock; }

std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes; }

}  // namespace

void* AllocateRecordBlock(std::size_t bytes) {
  if (!IsMapped(bytes)) return ::operator new(bytes);
  if (bytes > kLargestBlock) throw std::bad_alloc();
  // One huge page more than the block is mapped, and what lies outside the
  // aligned block is given back at once.
  const std::size_t length = MappedLength(bytes);
  void* mapped = mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  auto* const start = static_cast<char*>(mapped);
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  char* const block = start + (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes;
  char* const end = start + length + kHugePageBytes;
  if (block != start) munmap(start, static_cast<std::size_t>(block - start));
  if (block + length != end) munmap(block + length, static_cast<std::size_t>(end - (block + length)));
  // Only a hint: where the kernel has no huge pages to give, the block is
  // made of ordinary ones.
  madvise(block, length, MADV_HUGEPAGE);
  return block;
}

void FreeRecordBlock(void* block, std::size_t bytes) noexcept {
  if (IsMapped(bytes)) {
    munmap(block, MappedLength(bytes));
  } else {
    ::operator delete(block);
  }
}

bool RecordBlocksUseHugePages() { return true; }

#else

void* AllocateRecordBlock(std::size_t bytes) { return ::operator new(bytes); }

void FreeRecordBlock(void* block, std::size_t) noexcept { ::operator delete(block); }

bool RecordBlocksUseHugePages() { return false; }

#endif

XFILE_SHAPE_END
