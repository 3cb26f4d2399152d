#include "download/spacing.h"

RowClock rowClock(std::int64_t time1, std::int64_t span, std::size_t readings) {
  const auto u = static_cast<std::int64_t>(readings);
  const std::int64_t interval = span / (u + 1);
  return {time1, interval, span - interval * u, u};
}

std::int64_t nextRowTime(RowClock& clock) {
  const std::int64_t now = clock.time;
  clock.time += clock.interval;
  // cL is tested before this row's rollover is added, so the third row is the first
  // that can get the extra second, and it gets one at most.
  if (clock.cL > clock.u) {
    clock.cL -= clock.u;
    clock.time += 1;
  }
  clock.cL += clock.rollover;
  return now;
}
