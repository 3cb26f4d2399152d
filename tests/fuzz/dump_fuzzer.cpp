// Feeds arbitrary bytes to the dump parser and checks every reading against a plain
// reading of the dump rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "download/dump.h"

namespace {

// The readings the rules give: lines after the first, up to the first "c"; each the
// decimal number of its digits modulo 256, worked out digit by digit.
std::vector<std::uint8_t> expectedReadings(std::string_view bytes) {
  std::vector<std::uint8_t> readings;
  const auto firstLf = bytes.find('\n');
  if (firstLf == std::string_view::npos) return readings;
  unsigned remainder = 0;
  for (char c : bytes.substr(firstLf + 1)) {
    if (c == 'c') break;
    if (c >= '0' && c <= '9') remainder = (remainder * 10 + static_cast<unsigned>(c - '0')) % 256;
    if (c == '\n') {
      readings.push_back(static_cast<std::uint8_t>(remainder));
      remainder = 0;
    }
  }
  return readings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DumpParser parser;
  std::vector<std::uint8_t> readings;
  for (char c : bytes)
    if (dumpFeed(parser, c, readings) == DumpEvent::End) break;
  if (readings != expectedReadings(bytes)) std::abort();
  return 0;
}
