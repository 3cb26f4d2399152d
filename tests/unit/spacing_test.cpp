#include <gtest/gtest.h>

#include <vector>

#include "download/spacing.h"

namespace {

std::vector<std::int64_t> offsets(std::int64_t span, std::size_t u) {
  RowClock clock = rowClock(1000, span, u);
  std::vector<std::int64_t> result;
  for (std::size_t i = 0; i < u; ++i) result.push_back(nextRowTime(clock) - 1000);
  return result;
}

struct WorkedValue {
  std::int64_t span;
  std::size_t u;
  std::int64_t interval;
  std::int64_t rollover;
  std::vector<std::int64_t> firstOffsets;
  std::int64_t lastOffset;
  std::int64_t laterStep;  // the gap between the rows after firstOffsets; 0 when irregular
};

TEST(RowSpacing, MatchesTheWorkedValues) {
  const WorkedValue table[] = {
      {10, 4, 2, 2, {0, 2, 4, 6}, 6, 0},
      {360, 180, 1, 180, {0, 1, 2, 4, 6, 8}, 356, 2},
      {540, 100, 5, 40, {0, 5, 10, 15, 21, 26, 31, 37, 42, 48}, 534, 0},
      {600, 120, 4, 120, {0, 4, 8, 13, 18, 23}, 593, 5},
      {7, 3, 1, 4, {0, 1, 3}, 3, 0},
      {0, 5, 0, 0, {0, 0, 0, 0, 0}, 0, 0},
      {100, 1, 50, 50, {0}, 0, 0},
  };
  for (const auto& row : table) {
    SCOPED_TRACE("span " + std::to_string(row.span) + ", u " + std::to_string(row.u));
    const RowClock clock = rowClock(0, row.span, row.u);
    EXPECT_EQ(clock.interval, row.interval);
    EXPECT_EQ(clock.rollover, row.rollover);

    const auto got = offsets(row.span, row.u);
    ASSERT_EQ(got.size(), row.u);
    const std::vector<std::int64_t> head(got.begin(),
                                         got.begin() + static_cast<long>(row.firstOffsets.size()));
    EXPECT_EQ(head, row.firstOffsets);
    EXPECT_EQ(got.back(), row.lastOffset);
    if (row.laterStep != 0) {
      for (std::size_t i = row.firstOffsets.size(); i < got.size(); ++i)
        EXPECT_EQ(got[i] - got[i - 1], row.laterStep) << "row " << i;
    }
  }
}

TEST(RowSpacing, NeverGoesBackNorPastTheEnd) {
  for (std::int64_t span : {0LL, 1LL, 59LL, 3600LL, 86400LL * 7, 2'000'000'000'000LL}) {
    for (std::size_t u : {1u, 2u, 3u, 99u, 33000u, 40000u}) {
      const auto got = offsets(span, u);
      for (std::size_t i = 1; i < got.size(); ++i) ASSERT_GE(got[i], got[i - 1]);
      EXPECT_LE(got.back(), span) << span << " " << u;
    }
  }
}

}  // namespace
