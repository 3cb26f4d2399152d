// The logger's log dump: a first line that is skipped, then one reading per line in
// decimal, ended by the "c" of the logger's "cmd:" prompt.
#pragma once

#include <cstdint>
#include <vector>

struct DumpParser {
  bool inFirstLine = true;
  std::uint8_t pending = 0;  // the low 8 bits of the line's number so far
};

enum class DumpEvent {
  None,           // nothing to act on
  FirstLineDone,  // the first line has just ended
  Reading,        // a reading was appended
  End,            // the dump is over
};

// Takes one byte of the dump. Digits build the line's number, kept to its low 8 bits
// however many there are; LF ends the line and appends the reading (0 when the line had
// no digit); "c" ends the dump; every other byte is ignored.
DumpEvent dumpFeed(DumpParser& parser, char c, std::vector<std::uint8_t>& readings);
