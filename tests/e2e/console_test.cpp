// Console input that is not what a question wants: nothing may loop, overflow or hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "logger_test.h"
#include "transcript.h"

namespace {

class Console : public LoggerTest {
 protected:
  Console() { startLogger(); }
};

TEST_F(Console, EndOfInputInAnyPeriodQuestionClosesThePortAndExitsWithTwo) {
  const std::string questions[] = {"Enter Starting\n\tMonth: \n> ",
                                   "Enter Starting\n\tDay: \n> ",
                                   "Enter Starting\n\tYear: \n> ",
                                   "\tHour (24 hour clock): \n> ",
                                   "\tMinute: \n> ",
                                   "Enter Ending\n\tMonth: \n> ",
                                   "Enter Ending\n\tDay: \n> ",
                                   "Enter Ending\n\tYear: \n> ",
                                   "\tHour (24 hour clock): \n> ",
                                   "\tMinute: \n> "};
  const std::string answers[] = {"1\n", "2\n", "2026\n", "3\n", "4\n",
                                 "1\n", "2\n", "2026\n", "3\n", "4\n"};
  std::string input = "7\n2\n", asked;
  for (std::size_t k = 0; k < std::size(questions); ++k) {
    asked += questions[k];
    Outcome o = run(input);
    EXPECT_EQ(o.out, started(COM) + asked + CLOSING) << "input ends at question " << k;
    EXPECT_EQ(o.status, 2);
    input += answers[k];
  }
  EXPECT_FALSE(std::filesystem::exists(session.work() / "data.csv"));
  EXPECT_TRUE(logger->received().empty());
}

TEST_F(Console, VeryLongLinesAndHugeNumbersAreOrdinaryWrongAnswers) {
  const std::string longNumber(300000, '9');
  const std::string longText(300000, 'x');
  Outcome o = run("7\n" + longNumber + "\n" + longText + "\n-" + longNumber + "\n2\n" + longNumber +
                  "\n1\n1\n2026\n" + longNumber + "\n" + longText + "\n0\n0\n" +
                  typed({1, 1, 2026, 0, 0}) + "99\n");
  const std::string hour = "\tHour (24 hour clock): \n> ";
  const std::string start =
      "Enter Starting\n\tMonth: \n> Enter Starting\n\tDay: \n> Enter Starting\n\tYear: \n> " +
      hour + hour + hour + "\tMinute: \n> ";
  EXPECT_EQ(o.out, started(COM) + INVALID + MENU + INVALID + MENU + INVALID + MENU + start +
                       momentQuestions("Enter Ending\n") + receiving(COM) +
                       "\n\n No data downloaded.\n" + MENU + CLOSING);
  EXPECT_EQ(o.status, 0);
}

}  // namespace
