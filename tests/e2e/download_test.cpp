// Downloads through the real binary: console transcript, ./data.csv, bytes on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logger_test.h"
#include "transcript.h"

namespace {

namespace fs = std::filesystem;
const std::string NO_DATA = "\n\n No data downloaded.\n";

class Download : public LoggerTest {
 protected:
  // Runs one download of the period from `start` to `end`, then quits.
  Outcome download(const Moment& start, const Moment& end, const std::string& tz = "UTC") {
    return run("7\n2\n" + typed(start) + typed(end) + "99\n", tz);
  }
  std::string transcript(const std::string& middle) const {
    return started(COM) + PERIOD_QUESTIONS + receiving(COM) + middle + MENU + CLOSING;
  }
};

TEST_F(Download, SpacesTheReadingsOverThePeriodAndWritesTheFile) {
  startLogger({7, 42, 255, 300});
  Outcome o = download({4, 11, 2026, 10, 0}, {4, 11, 2026, 10, 5});
  EXPECT_EQ(o.out, transcript(summary(4, 300, 60)));
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);
  // 60 s apart, plus the remainder's extra second from the third row on.
  EXPECT_EQ(csv(),
            "2026-04-11 10:00:00, 7\r\n"
            "2026-04-11 10:01:00, 42\r\n"
            "2026-04-11 10:02:01, 255\r\n"
            "2026-04-11 10:03:02, 44\r\n");
  std::string sent;
  for (const auto& r : logger->received()) sent.push_back(static_cast<char>(r.byte));
  EXPECT_EQ(sent, "p");
  EXPECT_TRUE(fs::exists(session.work() / "data.csv"));
  EXPECT_EQ(std::distance(fs::directory_iterator(session.work()), fs::directory_iterator()), 1);
}

TEST_F(Download, EmptyDumpLeavesTheFileAlone) {
  startLogger(std::vector<int>{});
  std::ofstream(session.work() / "data.csv") << "earlier download";
  Outcome o = download({4, 11, 2026, 10, 0}, {4, 11, 2026, 10, 5});
  EXPECT_EQ(o.out, transcript(NO_DATA));
  EXPECT_EQ(csv(), "earlier download");
}

TEST_F(Download, OneReadingTakesTheStartTime) {
  startLogger({0});
  Outcome o = download({12, 31, 2026, 23, 59}, {1, 1, 2027, 0, 1});
  EXPECT_EQ(o.out, transcript(summary(1, 120, 60)));
  EXPECT_EQ(csv(), "2026-12-31 23:59:00, 0\r\n");
}

TEST_F(Download, StartEqualToEndPutsEveryRowAtTheStart) {
  startLogger({1, 2, 3});
  Outcome o = download({2, 29, 2028, 8, 30}, {2, 29, 2028, 8, 30});
  EXPECT_EQ(o.out, transcript(summary(3, 0, 0)));
  EXPECT_EQ(csv(),
            "2028-02-29 08:30:00, 1\r\n2028-02-29 08:30:00, 2\r\n2028-02-29 08:30:00, 3\r\n");
}

TEST_F(Download, RowsFollowTheLocalClockAcrossADaylightSavingChange) {
  startLogger({1, 2, 3});
  // Central Europe moves from 02:00 to 03:00 on 29 March 2026: the three hours on the
  // clock are two real hours.
  Outcome o = download({3, 29, 2026, 1, 0}, {3, 29, 2026, 4, 0}, "CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(o.out, transcript(summary(3, 7200, 1800)));
  EXPECT_EQ(csv(),
            "2026-03-29 01:00:00, 1\r\n2026-03-29 01:30:00, 2\r\n2026-03-29 03:00:01, 3\r\n");
}

TEST_F(Download, DatesAfter2038Work) {
  startLogger({5, 6});
  Outcome o = download({1, 19, 2038, 3, 14}, {1, 19, 2038, 3, 29});
  EXPECT_EQ(o.out, transcript(summary(2, 900, 300)));
  EXPECT_EQ(csv(), "2038-01-19 03:14:00, 5\r\n2038-01-19 03:19:00, 6\r\n");
}

TEST_F(Download, ADateBeyondTheClockIsAskedAgain) {
  // Windows converts times up to the end of the year 3000; glibc takes any year an int
  // holds, so there the same answers are simply accepted.
  if (!UNDER_WINE) GTEST_SKIP() << "every year an int holds is a valid date on Linux";
  startLogger({4});
  Outcome o = run("7\n2\n" + typed({1, 1, 3001, 0, 0}) + typed({1, 1, 2030, 0, 0}) +
                  typed({1, 1, 2030, 0, 0}) + "99\n");
  EXPECT_EQ(o.out,
            started(COM) + momentQuestions("Enter Starting\n") +
                "That date is beyond what this computer's clock can represent; enter it again.\n" +
                PERIOD_QUESTIONS + receiving(COM) + summary(1, 0, 0) + MENU + CLOSING);
  EXPECT_EQ(csv(), "2030-01-01 00:00:00, 4\r\n");
}

TEST_F(Download, AFullLoggerAndMoreLoseNoReading) {
  std::vector<int> readings(33500);
  for (std::size_t i = 0; i < readings.size(); ++i) readings[i] = static_cast<int>(i % 256);
  startLogger(readings);
  // One reading a minute for 33500 minutes.
  Outcome o = download({1, 1, 2026, 0, 0}, {1, 24, 2026, 6, 21});
  EXPECT_EQ(o.out, transcript(std::string(335, '.') + summary(33500, 33501 * 60, 60)));

  std::istringstream file(csv());
  std::size_t rows = 0;
  for (std::string row; std::getline(file, row); ++rows) {
    ASSERT_EQ(row.size(), 22 + std::to_string(rows % 256).size()) << row;
    ASSERT_EQ(row.substr(19), ", " + std::to_string(rows % 256) + "\r") << "row " << rows;
  }
  EXPECT_EQ(rows, 33500u);
  // 60 s apart; the remainder of 60 s a row adds a second every 33500 / 60 rows or so.
  EXPECT_TRUE(csv().starts_with("2026-01-01 00:00:00, 0\r\n2026-01-01 00:01:00, 1\r\n"));
  EXPECT_TRUE(csv().ends_with("2026-01-24 06:19:59, 219\r\n"));
}

TEST_F(Download, AtTheRateOfTheWireEveryReadingArrives) {
  emulator::Options options;
  options.readings = emulator::generatedReadings(300);
  options.paced = true;  // 9600 baud 8N1, about 1.8 s for this dump
  startLogger(options);
  Outcome o = download({1, 1, 2026, 0, 0}, {1, 1, 2026, 5, 1});
  EXPECT_EQ(o.out, transcript("..." + summary(300, 18060, 60)));
  std::istringstream file(csv());
  std::size_t rows = 0;
  for (std::string row; std::getline(file, row); ++rows)
    ASSERT_EQ(row.substr(19), ", " + std::to_string(options.readings[rows]) + "\r") << rows;
  EXPECT_EQ(rows, 300u);
}

TEST_F(Download, BelowAHundredReadingsNoDotAndAnEmptyLineBeforeTheSummary) {
  startLogger(std::vector<int>(99, 1));
  Outcome o = download({1, 1, 2026, 0, 0}, {1, 1, 2026, 1, 40});
  EXPECT_EQ(o.out, transcript(summary(99, 6000, 60)));
}

TEST_F(Download, GarbageAndLongLinesInTheDumpAreReadByTheDumpRules) {
  emulator::Options options;
  options.dumpBody = "12\r\n\r\n 2 5 5 \r\n1000\r\n\x80\xff\x01 9\r\n7cmd:";
  startLogger(options);
  Outcome o = download({1, 1, 2026, 0, 0}, {1, 1, 2026, 0, 6});
  EXPECT_EQ(o.out, transcript(summary(5, 360, 60)));
  EXPECT_EQ(csv(),
            "2026-01-01 00:00:00, 12\r\n2026-01-01 00:01:00, 0\r\n2026-01-01 00:02:01, 255\r\n"
            "2026-01-01 00:03:02, 232\r\n2026-01-01 00:04:03, 9\r\n");
}

TEST_F(Download, WrongAnswersInThePeriodAreAskedAgainAsTheyShouldBe) {
  startLogger({1});
  // Month 0 and 13 and day 32 and year 2001 are passed over silently; hour 24 and
  // minute 60 bring their question back; an end before the start asks for both again.
  const std::string input = "7\n2\n0\n13\n4\n32\nx\n11\n2001\n2026\n24\nabc\n10\n60\n0\n" +
                            typed({4, 11, 2026, 9, 59}) + typed({4, 11, 2026, 10, 0}) +
                            typed({4, 11, 2026, 10, 0}) + "99\n";
  Outcome o = run(input);
  const std::string starting = "Enter Starting\n";
  const std::string hour = "\tHour (24 hour clock): \n> ";
  const std::string minute = "\tMinute: \n> ";
  const std::string firstStart = starting + "\tMonth: \n> " + starting + "\tDay: \n> " + starting +
                                 "\tYear: \n> " + hour + hour + hour + minute + minute;
  EXPECT_EQ(o.out, started(COM) + firstStart + momentQuestions("Enter Ending\n") +
                       PERIOD_QUESTIONS + receiving(COM) + summary(1, 0, 0) + MENU + CLOSING);
  EXPECT_EQ(csv(), "2026-04-11 10:00:00, 1\r\n");
}

TEST_F(Download, AFileThatCannotBeWrittenIsReportedAndTheMenuComesBack) {
  startLogger({1, 2});
  fs::create_directory(session.work() / "data.csv");
  Outcome o = download({1, 1, 2026, 0, 0}, {1, 1, 2026, 0, 6});
  EXPECT_EQ(o.out, transcript("\nCannot write ./data.csv: Is a directory; the previous "
                              "./data.csv was left as it was.\n"));
  EXPECT_TRUE(fs::is_directory(session.work() / "data.csv"));
  EXPECT_EQ(std::distance(fs::directory_iterator(session.work()), fs::directory_iterator()), 1);
}

TEST_F(Download, EachDownloadResetsTheLinkAndAsksAfresh) {
  startLogger({9});
  Outcome o = run("7\n2\n" + typed({1, 1, 2026, 0, 0}) + typed({1, 1, 2026, 0, 0}) + "2\n" +
                  typed({2, 1, 2026, 0, 0}) + typed({2, 1, 2026, 0, 0}) + "99\n");
  const std::string one = PERIOD_QUESTIONS + receiving(COM) + summary(1, 0, 0) + MENU;
  EXPECT_EQ(o.out, started(COM) + one + one + CLOSING);
  EXPECT_EQ(logger->dumpsSent(), 2);
  EXPECT_EQ(csv(), "2026-02-01 00:00:00, 9\r\n");
}

TEST_F(Download, TheWindowsBuildWritesTheSameBytesAsTheLinuxBuild) {
  if (!UNDER_WINE) GTEST_SKIP() << "compares the Windows build under wine with the Linux build";
  emulator::Options options;
  options.readings = emulator::generatedReadings(2000);
  startLogger(options);
  fs::create_symlink(logger->device(), session.portsDir() / "COM7");
  const std::string input =
      "7\n2\n" + typed({3, 28, 2026, 12, 0}) + typed({3, 30, 2026, 12, 0}) + "99\n";
  const std::string zone = "CET-1CEST,M3.5.0,M10.5.0/3";

  Outcome windows = session.run(input, zone);
  const std::string windowsCsv = csv();
  fs::remove(session.work() / "data.csv");
  Outcome linux = session.runLinuxBuild(input, zone);

  EXPECT_EQ(windows.status, 0);
  EXPECT_EQ(linux.status, 0);
  EXPECT_EQ(std::count(windowsCsv.begin(), windowsCsv.end(), '\n'), 2000);
  EXPECT_TRUE(windowsCsv == csv()) << "the two files differ";
}

}  // namespace
