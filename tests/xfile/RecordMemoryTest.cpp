#include <gtest/gtest.h>

#include <cstdint>

#include "xfile/XFileRecords.h"

namespace xfile_test {
namespace {

// A face list grows from nothing across the size where its blocks leave the
// heap for mapped huge pages and back down; every face must keep its corners
// through each move, and the mapped blocks must start on a huge-page boundary.
TEST(RecordMemory, LargeListsKeepTheirRecordsAcrossBlocksAndStartOnHugePages) {
  constexpr std::size_t kFaces = 200000;  // about 6 MiB of faces
  RecordList<XFace> faces;
  bool sawMappedBlock = false;
  for (std::size_t i = 0; i < kFaces; ++i) {
    const auto n = static_cast<std::int32_t>(i);
    faces.push_back(XFace{n % 7, {n, n + 1, n + 2}});
    if (faces.capacity() * sizeof(XFace) >= (std::size_t{1} << 20)) {
      sawMappedBlock = true;
      if (RecordBlocksAreHugePageAligned()) {
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(faces.data()) % (std::uintptr_t{2} << 20), 0u) << i;
      }
    }
  }
  EXPECT_TRUE(sawMappedBlock);
  RecordList<XFace> copy = faces;
  faces.resize(1000);
  faces.shrink_to_fit();
  ASSERT_EQ(copy.size(), kFaces);
  for (std::size_t i = 0; i < kFaces; ++i) {
    const auto n = static_cast<std::int32_t>(i);
    ASSERT_EQ(copy[i].material, n % 7);
    ASSERT_EQ(copy[i].corners, (XCorners{n, n + 1, n + 2})) << i;
    if (i < faces.size()) {
      ASSERT_EQ(faces[i].corners, copy[i].corners);
    }
  }
}

}  // namespace
}  // namespace xfile_test
