// A data logger on the far side of a pseudo-terminal, for tests, the demo and benchmarks.
//
// It answers "p" with its log dump (a first line, one reading per line in decimal ended by
// CR LF, then the prompt "cmd:"), stores "w" register writes and takes "m" and a mode
// letter. Every byte it receives is recorded with a monotonic time stamp.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace emulator {

using Clock = std::chrono::steady_clock;

struct Options {
  std::vector<int> readings;  // sent as decimal lines; values above 255 are sent as they are
  std::string firstLine = "Datalogger log dump\r\n";
  // Exact bytes to send after the first line instead of the readings and "cmd:".
  std::optional<std::string> dumpBody;
  // Send at the rate of 9600 baud 8N1 (about 1.04 ms a byte) instead of as fast as the
  // pseudo-terminal takes it.
  bool paced = false;

  // Faults. The logger stops sending after this many bytes of its dump (0: says nothing
  // at all after "p").
  std::optional<std::size_t> silentAfter;
  // The adapter is unplugged once, after this many bytes of the dump, when the program has
  // read them: the emulator closes its side of the pseudo-terminal. With `replug`, it comes
  // straight back on a new one, pinned under the same COM number.
  std::optional<std::size_t> unplugAfter;
  bool replug = false;
};

struct ReceivedByte {
  unsigned char byte;
  Clock::time_point at;
};

// The dump the logger sends in answer to "p".
std::string dumpText(const Options& options);

// Readings from a text file, one decimal number per line.
std::vector<int> readingsFromFile(const std::filesystem::path& file);

// `count` readings of a temperature that rises and falls over each day, one every ten
// minutes, as a logger's 8-bit converter reports them.
std::vector<int> generatedReadings(std::size_t count);

class LoggerEmulator {
 public:
  explicit LoggerEmulator(Options options);
  ~LoggerEmulator();
  LoggerEmulator(const LoggerEmulator&) = delete;
  LoggerEmulator& operator=(const LoggerEmulator&) = delete;

  // The device the program opens (the pseudo-terminal's slave side).
  std::string device() const;

  // Makes `link` a symbolic link to the device, as a COM port is pinned (for datalog, a
  // ports folder's COM<n>; for wine, a prefix's dosdevices/com<n>). A replugged logger
  // moves the link to its new device.
  void pin(const std::filesystem::path& link) const;

  std::vector<ReceivedByte> received() const;
  // The register writes taken so far, register number to value.
  std::map<int, int> registers() const;
  // The last mode letter taken, or 0.
  char mode() const;
  int dumpsSent() const;
  int unplugs() const;

 private:
  void plugIn();
  void pinTo(const std::filesystem::path& link) const;
  void unplug();
  bool allRead() const;
  void run();
  void take(unsigned char byte, Clock::time_point at);
  void send();

  Options options_;
  int master_ = -1;
  int slave_ = -1;  // held open so the program can close and reopen its side
  std::string device_;
  mutable std::filesystem::path pinned_;  // the COM link, to move it when replugged
  int unplugs_ = 0;

  mutable std::mutex mutex_;
  std::vector<ReceivedByte> received_;
  std::map<int, int> registers_;
  char mode_ = 0;
  int dumpsSent_ = 0;

  // Protocol state: the command being received.
  std::string command_;
  // Output in flight.
  std::string out_;
  std::size_t outSent_ = 0;
  bool blocked_ = false;  // the pseudo-terminal took less than was written
  Clock::time_point outStart_;
  Clock::time_point lastWrite_;

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace emulator
