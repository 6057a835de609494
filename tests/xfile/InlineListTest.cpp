#include <gtest/gtest.h>

#include <utility>

#include "xfile/InlineList.h"

namespace xfile_test {
namespace {

using List = InlineList<int, 4>;

List Counting(int count) {
  List list;
  for (int i = 0; i < count; ++i) list.push_back(i);
  return list;
}

TEST(InlineList, KeepsItsValuesInPlaceAndOnTheHeap) {
  for (int count : {0, 3, 4, 5, 17}) {
    List list = Counting(count);
    ASSERT_EQ(list.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) EXPECT_EQ(list[i], i);
    // A copy and a move give the same values; the list moved from is empty.
    List copy = list;
    EXPECT_EQ(copy, list);
    List moved = std::move(copy);
    EXPECT_EQ(moved, list);
    EXPECT_TRUE(copy.empty());
    // Assigning over a list frees or reuses what it held.
    copy = Counting(9);
    copy = moved;
    EXPECT_EQ(copy, list);
    moved = Counting(2);
    EXPECT_EQ(moved, (List{0, 1}));
  }
}

TEST(InlineList, GrowsFromItsOwnValuesAndResizesWithZeros) {
  List list{7, 8, 9, 10};
  list.push_back(list[0]);  // the list grows while its own value is pushed
  EXPECT_EQ(list, (List{7, 8, 9, 10, 7}));
  list.resize(3);
  EXPECT_EQ(list, (List{7, 8, 9}));
  list.resize(6);
  EXPECT_EQ(list, (List{7, 8, 9, 0, 0, 0}));
  list.clear();
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace xfile_test
