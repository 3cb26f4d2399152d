// A test of the real program against an emulated logger pinned as COM7.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logger_emulator.h"
#include "session.h"

inline constexpr int COM = 7;

class LoggerTest : public ::testing::Test {
 protected:
  void startLogger(emulator::Options options = {}) {
    logger = std::make_unique<emulator::LoggerEmulator>(std::move(options));
    logger->pin(session.portLink(COM));
  }
  void startLogger(std::vector<int> readings) {
    emulator::Options options;
    options.readings = std::move(readings);
    startLogger(std::move(options));
  }

  // Runs datalog; the port list, which depends on the machine, is checked and replaced
  // by "{PORTS}".
  Outcome run(std::string_view input, const std::string& tz = "UTC") const {
    Outcome outcome = session.run(input, tz);
    outcome.out = withPortList(outcome.out, COM);
    return outcome;
  }

  std::string csv() const { return fileContents(session.work() / "data.csv"); }

  Session session;
  std::unique_ptr<emulator::LoggerEmulator> logger;
};
