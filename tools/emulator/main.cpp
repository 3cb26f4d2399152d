// logger-emulator: a data logger on a pseudo-terminal, pinned as a COM port for datalog.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "logger_emulator.h"

namespace {

volatile std::sig_atomic_t stopping = 0;

void usage() {
  std::fputs(
      "usage: logger-emulator [--com N] [--ports-dir DIR] [--readings FILE | --generate N] "
      "[--paced]\n"
      "       [--silent-after BYTES] [--unplug-after BYTES [--replug]]\n"
      "Plays a data logger on a pseudo-terminal and pins it as COM N (default 7) in DIR\n"
      "(default ${XDG_CONFIG_HOME:-$HOME/.config}/datalog/ports) until interrupted.\n"
      "Faults: fall silent, or unplug the adapter (and plug it back in), after that many\n"
      "bytes of the log dump.\n",
      stderr);
  std::exit(2);
}

std::filesystem::path defaultPortsDir() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "datalog/ports";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".config/datalog/ports";
}

}  // namespace

int main(int argc, char** argv) {
  emulator::Options options;
  options.readings = emulator::generatedReadings(432);  // three days
  int com = 7;
  std::filesystem::path portsDir = defaultPortsDir();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--com" && hasValue)
      com = std::atoi(argv[++i]);
    else if (arg == "--ports-dir" && hasValue)
      portsDir = argv[++i];
    else if (arg == "--readings" && hasValue)
      options.readings = emulator::readingsFromFile(argv[++i]);
    else if (arg == "--generate" && hasValue)
      options.readings = emulator::generatedReadings(std::strtoul(argv[++i], nullptr, 10));
    else if (arg == "--paced")
      options.paced = true;
    else if (arg == "--silent-after" && hasValue)
      options.silentAfter = std::strtoul(argv[++i], nullptr, 10);
    else if (arg == "--unplug-after" && hasValue)
      options.unplugAfter = std::strtoul(argv[++i], nullptr, 10);
    else if (arg == "--replug")
      options.replug = true;
    else
      usage();
  }

  std::signal(SIGINT, [](int) { stopping = 1; });
  std::signal(SIGTERM, [](int) { stopping = 1; });

  emulator::LoggerEmulator logger(options);
  logger.pin(portsDir / ("COM" + std::to_string(com)));
  std::printf("Logger emulator on %s, pinned as COM%d in %s, holding %zu readings\n",
              logger.device().c_str(), com, portsDir.c_str(), options.readings.size());
  std::fflush(stdout);

  std::size_t reported = 0;
  while (!stopping) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto bytes = logger.received();
    if (bytes.size() == reported) continue;
    std::string text;
    for (std::size_t i = reported; i < bytes.size(); ++i)
      text.push_back(static_cast<char>(bytes[i].byte));
    reported = bytes.size();
    std::printf("received: %s\n", text.c_str());
    std::fflush(stdout);
  }
  std::filesystem::remove(portsDir / ("COM" + std::to_string(com)));
  return 0;
}
