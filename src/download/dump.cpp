#include "download/dump.h"

DumpEvent dumpFeed(DumpParser& parser, char c, std::vector<std::uint8_t>& readings) {
  if (parser.inFirstLine) {
    if (c != '\n') return DumpEvent::None;
    parser.inFirstLine = false;
    return DumpEvent::FirstLineDone;
  }
  if (c == 'c') return DumpEvent::End;
  if (c >= '0' && c <= '9') {
    parser.pending = static_cast<std::uint8_t>(parser.pending * 10 + (c - '0'));
    return DumpEvent::None;
  }
  if (c == '\n') {
    readings.push_back(parser.pending);
    parser.pending = 0;
    return DumpEvent::Reading;
  }
  return DumpEvent::None;
}
