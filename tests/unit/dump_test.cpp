#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "download/dump.h"

namespace {

struct Parsed {
  std::vector<std::uint8_t> readings;
  bool ended = false;
  std::size_t firstLineEndsAt = std::string::npos;  // index of the byte that ended it
};

Parsed parse(std::string_view bytes) {
  Parsed result;
  DumpParser parser;
  for (std::size_t i = 0; i < bytes.size() && !result.ended; ++i) {
    switch (dumpFeed(parser, bytes[i], result.readings)) {
      case DumpEvent::FirstLineDone: result.firstLineEndsAt = i; break;
      case DumpEvent::End: result.ended = true; break;
      default: break;
    }
  }
  return result;
}

using Readings = std::vector<std::uint8_t>;
using namespace std::string_literals;

TEST(DumpParser, ReadsTheDumpOfTheLogger) {
  const struct {
    const char* name;
    std::string bytes;
    Readings readings;
  } cases[] = {
      {"no readings", "Datalogger\r\ncmd:", {}},
      {"CR LF lines", "x\n7\r\n42\r\n255\r\ncmd:", {7, 42, 255}},
      {"byte example", "any text\n12\r\n0\r\n255\r\ncmd:", {12, 0, 255}},
      {"empty lines are zero", "x\n\n\r\n5\ncmd:", {0, 0, 5}},
      {"low 8 bits", "x\n300\n256\n", {44, 0}},
      // 1000 is 0x3e8; 10^20 is a multiple of 256, so 10^20 - 1 ends in 0xff.
      {"more than three digits", "x\n1000\n65535\n99999999999999999999\n", {0xe8, 0xff, 0xff}},
      {"c in the first line", "echo cmd\n9\ncmd:", {9}},
      {"digits before c make no reading", "x\n5\n12cmd:", {5}},
      {"other bytes ignored", "x\n1 2\t\x80\xff\0003\n"s, {123}},
  };
  for (const auto& c : cases) EXPECT_EQ(parse(c.bytes).readings, c.readings) << c.name;
}

TEST(DumpParser, EndsAtTheFirstCAfterTheFirstLine) {
  auto parsed = parse("header c\n1\n2\nc3\n4\n");
  EXPECT_TRUE(parsed.ended);
  EXPECT_EQ(parsed.readings, (Readings{1, 2}));
  EXPECT_EQ(parsed.firstLineEndsAt, 8u);
}

TEST(DumpParser, ReportsTheEndOfTheFirstLineOnce) {
  auto parsed = parse("first\nfirst\nfirst\n");
  EXPECT_EQ(parsed.firstLineEndsAt, 5u);
  EXPECT_FALSE(parsed.ended);
  EXPECT_EQ(parsed.readings, (Readings{0, 0}));
}

}  // namespace
