// Memory for the large record lists: a mesh's vertices and faces. A model of
// some tens of megabytes is built into fresh memory, and with 4 KiB pages the
// kernel's work of handing out, clearing and taking back every page costs
// about as much as reading the numbers. A list of 1 MiB or more is therefore
// mapped on its own in whole 2 MiB pages, aligned to them, and offered to the
// kernel for transparent huge pages while it hands them out quickly; a
// smaller one, one on a platform without such pages, and one in an
// AddressSanitizer build (whose checks watch the heap) comes from the heap as
// usual.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// `bytes` of memory aligned for any record, or std::bad_alloc.
void* AllocateRecordBlock(std::size_t bytes);
// Gives back a block that AllocateRecordBlock made `bytes` long.
void FreeRecordBlock(void* block, std::size_t bytes) noexcept;
// Whether large blocks are mapped on huge-page boundaries in this build.
bool RecordBlocksAreHugePageAligned();

template <typename T>
struct RecordAllocator {
  using value_type = T;

  RecordAllocator() = default;
  template <typename U>
  RecordAllocator(const RecordAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateRecordBlock(count * sizeof(T)));
  }
  void deallocate(T* records, std::size_t count) noexcept { FreeRecordBlock(records, count * sizeof(T)); }

  friend bool operator==(const RecordAllocator&, const RecordAllocator&) { return true; }
};

// A list of records that may grow large: a std::vector in every other way.
template <typename T>
using RecordList = std::vector<T, RecordAllocator<T>>;

XFILE_SHAPE_END
