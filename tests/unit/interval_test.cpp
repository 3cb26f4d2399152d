#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "logger/interval.h"

namespace {

TEST(IntervalCommand, WritesHighByteToRegister04AndLowByteTo05InLowercaseHex) {
  const struct {
    float seconds;
    const char* bytes;
  } cases[] = {
      {2.5f, "w0400w0505"},     {300.0f, "w0402w0558"}, {0.0f, "w0400w0500"},
      {32767.5f, "w04ffw05ff"}, {127.5f, "w0400w05ff"},
  };
  for (const auto& c : cases) {
    auto halfSeconds = halfSecondsFromSeconds(c.seconds);
    ASSERT_TRUE(halfSeconds) << c.seconds;
    EXPECT_EQ(intervalCommand(*halfSeconds), c.bytes) << c.seconds;
  }
}

TEST(HalfSecondsFromSeconds, TruncatesToWholeHalfSeconds) {
  EXPECT_EQ(halfSecondsFromSeconds(2.5f), 5u);
  EXPECT_EQ(halfSecondsFromSeconds(2.7f), 5u);
  EXPECT_EQ(halfSecondsFromSeconds(1.0f), 2u);
  EXPECT_EQ(halfSecondsFromSeconds(0.4f), 0u);
  EXPECT_EQ(halfSecondsFromSeconds(300.0f), 600u);
  EXPECT_EQ(halfSecondsFromSeconds(32767.5f), 65535u);
}

TEST(HalfSecondsFromSeconds, RefusesWhatTheRegistersCannotHold) {
  const float refused[] = {-0.5f,
                           -1.0f,
                           32767.6f,
                           32768.0f,
                           1e30f,
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::quiet_NaN()};
  for (float seconds : refused) EXPECT_EQ(halfSecondsFromSeconds(seconds), std::nullopt) << seconds;
}

}  // namespace
