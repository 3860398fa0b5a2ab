#include "base/large_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

namespace scenario {
namespace {

// Sizes on both sides of the point where an array moves from the ordinary heap
// to large pages: the memory is whole, and a large array starts on a large
// page. Under the address sanitizer a release that does not match its
// allocation (size class or alignment) is reported here.
TEST(LargeArray, EverySizeHoldsItsBytesFromFirstToLast) {
  constexpr std::size_t kMB = std::size_t{1} << 20;
  for (const std::size_t size : {std::size_t{2}, kMB - 1, kMB, 2 * kMB, 2 * kMB + 1, 9 * kMB + 7}) {
    LargeArray<char> bytes(size);
    bytes.front() = 'a';
    bytes.back() = 'z';
    EXPECT_EQ(bytes.front(), 'a') << size;
    EXPECT_EQ(bytes.back(), 'z') << size;
    if (size >= kMB) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bytes.data()) % (2 * kMB), 0u) << size;
    }
  }
}

TEST(LargeArray, GrowingFromSmallToLargeKeepsTheValues) {
  LargeArray<double> values(1000);
  std::iota(values.begin(), values.end(), 0.0);
  values.resize(3'000'000, -1.0);  // 24 MB: large pages from here
  EXPECT_EQ(values[999], 999.0);
  EXPECT_EQ(values[1000], -1.0);
  EXPECT_EQ(values.back(), -1.0);
  LargeArray<double> copy = values;
  EXPECT_EQ(copy, values);
}

}  // namespace
}  // namespace scenario
