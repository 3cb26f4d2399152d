// Runs the real datalog binary in a folder of its own, with a scripted standard input,
// its ports folder under a temporary XDG_CONFIG_HOME; or the Windows build under wine,
// its COM ports linked in the prefix's dosdevices folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "temp_dir.h"

// Whether the program under test is the Windows build, run under wine.
inline constexpr bool UNDER_WINE = DATALOG_UNDER_WINE;

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or 128 + signal
  double cpuSeconds = 0;
  double wallSeconds = 0;
};

class Session {
 public:
  Session();

  const std::filesystem::path& work() const { return work_; }
  std::filesystem::path portsDir() const { return config_ / "datalog" / "ports"; }
  // Where a device is linked to become COM<com> for the program under test.
  std::filesystem::path portLink(int com) const;

  // Starts datalog with `input` on its standard input (closed after it) and TZ set to
  // `tz`; waits for it to end, killing it after `limit`.
  Outcome run(std::string_view input, const std::string& tz = "UTC",
              std::chrono::seconds limit = std::chrono::seconds(120)) const;

  // Runs the Linux build, where the program under test is the Windows one.
  Outcome runLinuxBuild(std::string_view input, const std::string& tz) const;

  // The same, in two steps, for running two at once.
  pid_t start(std::string_view input, const std::string& tz = "UTC", bool linuxBuild = false) const;
  Outcome finish(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(120)) const;

 private:
  TempDir dir_;
  std::filesystem::path config_;
  std::filesystem::path work_;
  mutable int runs_ = 0;
  mutable std::map<pid_t, int> ids_;  // which numbered stdin/stdout/stderr files a run has
};

// The port list line depends on the serial ports of the machine; this checks its form,
// that it holds COM<com>, and puts "{PORTS}" in its place.
std::string withPortList(std::string out, int com);

std::string fileContents(const std::filesystem::path& file);
