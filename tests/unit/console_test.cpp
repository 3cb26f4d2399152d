#include <gtest/gtest.h>

#include <climits>

#include "console.h"

namespace {

struct IntCase {
  const char* text;
  std::optional<int> expected;
};

TEST(LeadingInt, ReadsTheNumberATextStartsWith) {
  const IntCase cases[] = {
      {"4\n", 4},
      {"  7", 7},
      {"-1\n", -1},
      {"+12", 12},
      {"3x\n", 3},
      {"99 100", 99},
      {"", std::nullopt},
      {"\n", std::nullopt},
      {"abc\n", std::nullopt},
      {"-", std::nullopt},
      {"x3", std::nullopt},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(leadingInt(c.text), c.expected) << '"' << c.text << '"';
}

TEST(LeadingFloat, ReadsDecimalNumbersAndRejectsText) {
  EXPECT_EQ(leadingFloat("2.5\n"), 2.5f);
  EXPECT_EQ(leadingFloat(" 300"), 300.0f);
  EXPECT_EQ(leadingFloat("1.5s"), 1.5f);
  EXPECT_EQ(leadingFloat("-4"), -4.0f);
  EXPECT_EQ(leadingFloat("abc"), std::nullopt);
  EXPECT_EQ(leadingFloat(""), std::nullopt);
}

}  // namespace
