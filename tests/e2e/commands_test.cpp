// Interval and mode commands: the bytes the logger receives and their pacing.
#include <gtest/gtest.h>

#include <chrono>

#include "logger_test.h"
#include "transcript.h"

namespace {

using std::chrono::milliseconds;

std::string bytesOf(const std::vector<emulator::ReceivedByte>& received) {
  std::string text;
  for (const auto& r : received) text.push_back(static_cast<char>(r.byte));
  return text;
}

// The emulator stamps a byte when its thread wakes up to read it, a little after it
// arrived; a late stamp on one byte shortens the next gap by as much.
constexpr auto STAMP_SLACK = std::chrono::milliseconds(2);

// Every gap between consecutive bytes is at least `least`.
void expectGapsAtLeast(const std::vector<emulator::ReceivedByte>& received, milliseconds least) {
  for (std::size_t i = 1; i < received.size(); ++i)
    EXPECT_GE(received[i].at - received[i - 1].at, least - STAMP_SLACK) << "before byte " << i;
}

class Commands : public LoggerTest {
 protected:
  Commands() { startLogger(); }
};

TEST_F(Commands, IntervalIsTenPacedBytesHighRegisterFirst) {
  Outcome o = run("7\n1\n300\n99\n");
  EXPECT_EQ(o.out, started(COM) + INTERVAL_QUESTION + MENU + CLOSING);
  const auto received = logger->received();
  EXPECT_EQ(bytesOf(received), "w0402w0558");
  expectGapsAtLeast(received, milliseconds(250));
  EXPECT_EQ(logger->registers(), (std::map<int, int>{{4, 0x02}, {5, 0x58}}));
}

TEST_F(Commands, IntervalsThatCannotBeSentAreRefusedWithAMessage) {
  const std::string refused =
      "The interval must be a number of seconds from 0 to 32767.5; nothing was sent.\n";
  Outcome o = run("7\n1\n-1\n1\n32768\n1\nnan\n1\ninf\n1\nabc\n1\n1e40\n99\n");
  std::string expected = started(COM);
  for (int i = 0; i < 6; ++i) expected += INTERVAL_QUESTION + refused + MENU;
  EXPECT_EQ(o.out, expected + CLOSING);
  EXPECT_TRUE(logger->received().empty());
}

TEST_F(Commands, ModesAreMThenTheLetterASecondLater) {
  Outcome o = run("7\n3\n4\n99\n");
  EXPECT_EQ(o.out, started(COM) + MENU + MENU + CLOSING);
  const auto received = logger->received();
  ASSERT_EQ(bytesOf(received), "momd");
  EXPECT_GE(received[1].at - received[0].at, milliseconds(1000) - STAMP_SLACK);
  EXPECT_GE(received[2].at - received[1].at, milliseconds(250) - STAMP_SLACK);
  EXPECT_GE(received[3].at - received[2].at, milliseconds(1000) - STAMP_SLACK);
  EXPECT_EQ(logger->mode(), 'd');
}

TEST_F(Commands, EndOfInputInTheIntervalQuestionClosesThePort) {
  Outcome o = run("7\n1\n");
  EXPECT_EQ(o.out, started(COM) + INTERVAL_QUESTION + CLOSING);
  EXPECT_EQ(o.status, 2);
  EXPECT_TRUE(logger->received().empty());
}

}  // namespace
