#include "download/download.h"

#include <cstdio>
#include <vector>

#include "download/csv.h"
#include "download/period.h"
#include "download/reception.h"
#include "download/spacing.h"

namespace {

constexpr const char* CSV_PATH = "./data.csv";

// Room for a full logger; a longer dump still keeps every reading.
constexpr std::size_t DATABUFF_RESERVE = 33000;

std::vector<std::uint8_t> reservedBuffer() {
  std::vector<std::uint8_t> buffer;
  buffer.reserve(DATABUFF_RESERVE);
  return buffer;
}

}  // namespace

void download() {
  static std::vector<std::uint8_t> databuff = reservedBuffer();

  const Period period = get_period();
  if (!receive_dump(databuff)) return;

  const std::size_t u = databuff.size();
  if (u == 0) {
    std::puts("\n\n No data downloaded.");
    std::fflush(stdout);
    return;
  }

  const RowClock clock = rowClock(period.time1, period.span, u);
  if (auto error = writeCsv(CSV_PATH, databuff, clock)) {
    std::printf("\nCannot write %s: %s; the previous %s was left as it was.\n", CSV_PATH,
                error->c_str(), CSV_PATH);
    std::fflush(stdout);
    return;
  }
  std::printf("\nDatapoints = %zu\n", u);
  std::printf("\nTimeSpan = %lld\n", static_cast<long long>(period.span));
  std::printf("\nInterval = %lld\n", static_cast<long long>(clock.interval));
  std::fflush(stdout);
}
