// The start, the port question and the menu, through the real binary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "logger_test.h"
#include "transcript.h"

namespace {

class Menu : public LoggerTest {
 protected:
  Menu() { startLogger(); }
};

TEST_F(Menu, QuitClosesThePortAndExitsWithZero) {
  Outcome o = run("7\n99\n");
  EXPECT_EQ(o.out, started(COM) + CLOSING);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(logger->received().empty());
}

TEST_F(Menu, OtherAnswersAreInvalidSelectionsAndTheMenuComesBack) {
  Outcome o = run("7\n5\n0\n-3\n98\nabc\n\n\n2147483648\n99\n");
  std::string expected = started(COM);
  for (int i = 0; i < 6; ++i) expected += INVALID + MENU;
  EXPECT_EQ(o.out, expected + CLOSING);
  EXPECT_EQ(o.status, 0);
}

TEST_F(Menu, EndOfInputAtTheMenuQuits) {
  Outcome o = run("7\n5\n");
  EXPECT_EQ(o.out, started(COM) + INVALID + MENU + CLOSING);
  EXPECT_EQ(o.status, 0);
}

TEST_F(Menu, MinusOneAsPortIsFatal) {
  Outcome o = run("-1\n99\n");
  EXPECT_EQ(o.out, PORT_QUESTION);
  EXPECT_EQ(o.err, "Invalid serial port!\n");
  EXPECT_EQ(o.status, 1);
}

TEST_F(Menu, EndOfInputAtThePortQuestionIsFatal) {
  Outcome o = run("");
  EXPECT_EQ(o.out, PORT_QUESTION);
  EXPECT_EQ(o.err, "Invalid serial port!\n");
  EXPECT_EQ(o.status, 1);
}

TEST_F(Menu, OnlyFifteenCharactersOfThePortAnswerCountTheRestIsTheMenuChoice) {
  // "000000000000007" is 15 characters; "99" goes to the menu.
  Outcome o = run("00000000000000799\n");
  EXPECT_EQ(o.out, started(COM) + CLOSING);
  EXPECT_EQ(o.status, 0);
}

TEST_F(Menu, TrailingTextAfterThePortNumberIsIgnored) {
  Outcome o = run("7x\n99\n");
  EXPECT_EQ(o.out, started(COM) + CLOSING);
}

TEST_F(Menu, APortThatIsNotThereIsReportedAndNothingWaitsForIt) {
  Outcome o = run("abc\n1\n3\n2\n1\n1\n2026\n0\n0\n1\n1\n2026\n0\n0\n99\n");
  const std::string cannot = noSuchPort(0);
  const std::string notOpen = "# COM0 is not open; nothing was sent to the logger\n";
  EXPECT_EQ(
      o.out,
      PORT_QUESTION + opening(0) + cannot + MENU + notOpen + MENU + notOpen + MENU +
          PERIOD_QUESTIONS + CLOSING + opening(0) + cannot +
          "# COM0 is not open\nNothing was saved: ./data.csv is as it was and the readings are "
          "still in the logger.\n" +
          MENU + CLOSING);
  EXPECT_EQ(o.status, 0);
}

TEST_F(Menu, APortHeldByAnotherProgramIsReportedAsBusy) {
  if (UNDER_WINE) GTEST_SKIP() << "wine does not take the lock other Linux programs take";
  const int held = open(logger->device().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  Outcome o = run("7\n99\n");
  close(held);
  EXPECT_EQ(o.out, PORT_QUESTION + opening(COM) + "# Cannot open COM7 (" + logger->device() +
                       "): Device or resource busy; another program holds the port, close "
                       "it and try again\n" +
                       MENU + CLOSING);
}

TEST_F(Menu, PortsAboveNineWork) {
  logger->pin(session.portLink(12));
  Outcome o = session.run("12\n4\n99\n");
  EXPECT_EQ(withPortList(o.out, 12), started(12) + MENU + CLOSING);
  EXPECT_EQ(logger->mode(), 'd');
}

}  // namespace
