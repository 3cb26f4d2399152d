#include <cstdio>
#include <cstring>

#include "console.h"
#include "serial/port.h"
#include "serial/serial.h"

int selectSerPort() {
  auto names = portNames();
  if (!names) return 0;

  std::fputs("The following serial ports are available on your computer:\n\t", stdout);
  for (auto& name : *names) {
    if (std::strncmp(name.c_str(), "COM", 3) != 0) continue;
    name.pop_back();  // the colon of "COM1:"
    std::printf("%s ", name.c_str());
  }
  std::fputs("\nPlease enter a serial port number:\n> ", stdout);
  std::fflush(stdout);

  // Only the first 15 characters count; the rest of a longer line is left for the menu.
  char reply[16];
  if (!std::fgets(reply, sizeof reply, stdin)) return -1;
  return leadingInt(reply).value_or(0);
}
