// Link faults: the logger falls silent, the adapter is unplugged, the port is taken.
// None of them may hang the program, spin the processor or touch ./data.csv.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "logger_test.h"
#include "transcript.h"

namespace {

const std::string NOTHING_SAVED =
    "Nothing was saved: ./data.csv is as it was and the readings are still in the logger.\n";
const std::string SILENT = "# No data from COM7 for 10 seconds; the logger stopped sending\n";
const Moment START{5, 1, 2026, 8, 0}, END{5, 2, 2026, 8, 0};

class Faults : public LoggerTest {
 protected:
  Faults() { std::ofstream(session.work() / "data.csv") << "earlier download"; }
  Outcome downloads(int count) {
    std::string input = "7\n";
    for (int i = 0; i < count; ++i) input += "2\n" + typed(START) + typed(END);
    return run(input + "99\n");
  }
  // Wine's own ReadFile spins on a hung-up tty, so there an unplugged adapter costs
  // processor time that is not the program's.
  void expectIdle(const Outcome& o, bool hungUp = false) {
    if (UNDER_WINE && hungUp) return;
    EXPECT_LT(o.cpuSeconds * 10, o.wallSeconds) << "cpu " << o.cpuSeconds << " s";
  }
  void expectIdleAndFileUntouched(const Outcome& o, bool hungUp = false) {
    expectIdle(o, hungUp);
    EXPECT_EQ(csv(), "earlier download");
  }
};

// Readings of 100: five bytes a line, so a byte count is a reading count.
emulator::Options hundreds(std::size_t count) {
  emulator::Options options;
  options.readings.assign(count, 100);
  return options;
}

TEST_F(Faults, ALoggerThatNeverAnswersEndsTheDownloadAfterTheSilenceLimit) {
  auto options = hundreds(3);
  options.silentAfter = 0;
  startLogger(options);
  Outcome o = downloads(1);
  EXPECT_EQ(o.out, started(COM) + PERIOD_QUESTIONS + CLOSING + opening(COM) + SILENT +
                       NOTHING_SAVED + MENU + CLOSING);
  EXPECT_EQ(o.status, 0);
  EXPECT_GE(o.wallSeconds, 10.0);
  expectIdleAndFileUntouched(o);
}

TEST_F(Faults, ALoggerFallingSilentInTheDumpEndsTheDownloadOnALineOfItsOwn) {
  auto options = hundreds(300);
  options.silentAfter = options.firstLine.size() + 5 * 150;
  startLogger(options);
  Outcome o = downloads(1);
  EXPECT_EQ(o.out, started(COM) + PERIOD_QUESTIONS + receiving(COM) + ".\n" + SILENT +
                       NOTHING_SAVED + MENU + CLOSING);
  expectIdleAndFileUntouched(o);
}

TEST_F(Faults, AnUnpluggedAdapterEndsTheDownloadAndTheNextOneOpensThePortAgain) {
  auto options = hundreds(2);
  options.unplugAfter = options.firstLine.size() + 5;
  options.replug = true;
  startLogger(options);
  const std::string firstDevice = logger->device();
  Outcome o = downloads(2);
  EXPECT_EQ(o.out, started(COM) + PERIOD_QUESTIONS + receiving(COM) + lostPort(COM, firstDevice) +
                       NOTHING_SAVED + MENU + PERIOD_QUESTIONS + receiving(COM) +
                       summary(2, 86400, 28800) + MENU + CLOSING);
  EXPECT_EQ(logger->unplugs(), 1);
  expectIdle(o, true);
  EXPECT_EQ(csv(), "2026-05-01 08:00:00, 100\r\n2026-05-01 16:00:00, 100\r\n");
}

TEST_F(Faults, AnAdapterThatStaysUnpluggedIsReportedAtTheNextDownload) {
  auto options = hundreds(2);
  options.unplugAfter = options.firstLine.size();
  startLogger(options);
  const std::string device = logger->device();
  Outcome o = downloads(2);
  const std::string cannot = noSuchPort(COM, session.portLink(COM).string());
  EXPECT_EQ(o.out, started(COM) + PERIOD_QUESTIONS + receiving(COM) + lostPort(COM, device) +
                       NOTHING_SAVED + MENU + PERIOD_QUESTIONS + CLOSING + opening(COM) + cannot +
                       "# COM7 is not open\n" + NOTHING_SAVED + MENU + CLOSING);
  expectIdleAndFileUntouched(o, true);
}

TEST_F(Faults, ASecondDatalogOnThePortIsRefused) {
  if (UNDER_WINE) GTEST_SKIP() << "wine lets two programs open one COM port; Windows does not";
  startLogger(hundreds(1));
  const pid_t first = session.start("7\n3\n99\n");  // the mode command holds the port 1.25 s
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Outcome second = run("7\n99\n");
  Outcome firstOutcome = session.finish(first);

  EXPECT_EQ(second.out,
            PORT_QUESTION + opening(COM) + "# Cannot open COM7 (" + logger->device() +
                "): Device or resource busy; another program holds the port, close it and try "
                "again\n" +
                MENU + CLOSING);
  EXPECT_EQ(withPortList(firstOutcome.out, COM), started(COM) + MENU + CLOSING);
  EXPECT_EQ(logger->mode(), 'o');
}

}  // namespace
