// Spacing the readings over the logging period in whole seconds. The logger sends no
// times, so each row gets span / (u + 1) seconds, and the remainder is spread by adding
// one second to a row whenever enough of it has gathered.
#pragma once

#include <cstddef>
#include <cstdint>

struct RowClock {
  std::int64_t time;      // time of the next row
  std::int64_t interval;  // whole seconds between rows
  std::int64_t rollover;  // remainder gathered per row
  std::int64_t u;         // number of readings
  std::int64_t cL = 0;    // remainder gathered so far
};

RowClock rowClock(std::int64_t time1, std::int64_t span, std::size_t readings);

// The time of the next row; advances the clock.
std::int64_t nextRowTime(RowClock& clock);
