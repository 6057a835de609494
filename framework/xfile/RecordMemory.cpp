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

#include <atomic>
#include <chrono>
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

// A huge page that takes longer than this to make costs more than the
// ordinary pages it stands for (about 0.8 ms for 2 MiB of them): the kernel
// had none at hand, as in a virtual machine whose host takes back free memory
// and hands it over again page by page (about 5 ms for 2 MiB). Such a
// machine hands out a slow one now and then while memory is freed and taken
// again quickly, and nothing else after it has been idle a few seconds.
constexpr auto kSlowHugePage = std::chrono::milliseconds(1);

// Huge pages are given up once three of them, and more than half, came
// slowly: while memory is freed and taken again quickly, the few slow ones
// cost less than the fast ones save; after an idle spell nearly all are slow,
// and ordinary pages cost less.
struct HugePageRecord {
  std::atomic<unsigned> timed{0};
  std::atomic<unsigned> slow{0};
  std::atomic<bool> givenUp{false};
};
HugePageRecord g_hugePages;

// Offers `block` to the kernel for huge pages while they pay: its first one
// is made and timed here. Where huge pages no longer pay, the rest of the
// block and every later one keep to ordinary pages.
void OfferHugePages(char* block, std::size_t length) {
  if (g_hugePages.givenUp.load(std::memory_order_relaxed)) return;
  // Only a hint: where the kernel has no huge pages to give, the block is
  // made of ordinary ones.
  madvise(block, length, MADV_HUGEPAGE);
  const auto begin = std::chrono::steady_clock::now();
  madvise(block, kHugePageBytes, MADV_POPULATE_WRITE);
  const bool slow = std::chrono::steady_clock::now() - begin > kSlowHugePage;
  const unsigned timed = g_hugePages.timed.fetch_add(1, std::memory_order_relaxed) + 1;
  if (!slow) return;
  const unsigned slowOnes = g_hugePages.slow.fetch_add(1, std::memory_order_relaxed) + 1;
  if (slowOnes < 3 || slowOnes * 2 <= timed) return;
  g_hugePages.givenUp.store(true, std::memory_order_relaxed);
  if (length > kHugePageBytes) madvise(block + kHugePageBytes, length - kHugePageBytes, MADV_NOHUGEPAGE);
}

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
  OfferHugePages(block, length);
  return block;
}

void FreeRecordBlock(void* block, std::size_t bytes) noexcept {
  if (IsMapped(bytes)) {
    munmap(block, MappedLength(bytes));
  } else {
    ::operator delete(block);
  }
}

bool RecordBlocksAreHugePageAligned() { return true; }

#else

void* AllocateRecordBlock(std::size_t bytes) { return ::operator new(bytes); }

void FreeRecordBlock(void* block, std::size_t) noexcept { ::operator delete(block); }

bool RecordBlocksAreHugePageAligned() { return false; }

#endif

XFILE_SHAPE_END
