#include "download/reception.h"

#include <cstdio>

#include "download/dump.h"
#include "serial/serial.h"

bool receive_dump(std::vector<std::uint8_t>& databuff) {
  databuff.clear();
  serEmpty();
  if (!serSendChar('p')) {
    std::printf("# %s is not open; nothing was downloaded\n", serName());
    std::fflush(stdout);
    return false;
  }

  DumpParser parser;
  int i = 0;
  for (;;) {
    auto c = serRecvChar();
    if (!c) {
      std::fputs(
          "\nThe download was cut short; ./data.csv was not changed and the readings are "
          "still in the logger.\n",
          stdout);
      std::fflush(stdout);
      return false;
    }
    switch (dumpFeed(parser, *c, databuff)) {
      case DumpEvent::FirstLineDone:
        std::fputs("about to receive data\n", stdout);
        std::fflush(stdout);
        break;
      case DumpEvent::Reading:
        if (++i > 99) {
          std::putchar('.');
          std::fflush(stdout);
          i -= 100;
        }
        break;
      case DumpEvent::End: return true;
      case DumpEvent::None: break;
    }
  }
}
