#include "logger/commands.h"

#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "console.h"
#include "logger/interval.h"
#include "serial/serial.h"

namespace {

// The logger needs a second between "m" and the mode letter; the send pause gives a
// quarter of it.
constexpr auto MODE_EXTRA_PAUSE = std::chrono::milliseconds(750);

bool portReady() {
  if (serIsOpen()) return true;
  std::printf("# %s is not open; nothing was sent to the logger\n", serName());
  std::fflush(stdout);
  return false;
}

// Sends the bytes one at a time; false, after saying why, when one could not be sent.
bool sendAll(std::string_view bytes) {
  for (char c : bytes) {
    if (!serSendChar(c)) {
      std::printf("# %s\nThe command was not sent whole; send it again.\n", serProblem().c_str());
      std::fflush(stdout);
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<unsigned> get_interval() {
  std::fputs(
      "Enter time interval.\tYou may use half seconds.\n To enter 2.5 seconds, enter 2.5\n> ",
      stdout);
  std::fflush(stdout);
  std::optional<unsigned> halfSeconds;
  if (auto seconds = askFloat()) halfSeconds = halfSecondsFromSeconds(*seconds);
  if (!halfSeconds) {
    std::fputs("The interval must be a number of seconds from 0 to 32767.5; nothing was sent.\n",
               stdout);
    std::fflush(stdout);
  }
  return halfSeconds;
}

void set_interval() {
  if (!portReady()) return;
  if (auto halfSeconds = get_interval()) sendAll(intervalCommand(*halfSeconds));
}

void set_mode(char c) {
  if (!portReady() || !sendAll("m")) return;
  std::this_thread::sleep_for(MODE_EXTRA_PAUSE);
  sendAll(std::string_view(&c, 1));
}
