#include "download/reception.h"

#include <cstdio>

#include "download/dump.h"
#include "serial/serial.h"

namespace {

bool cutShort(bool dotsShown) {
  if (dotsShown) std::putchar('\n');
  std::printf(
      "# %s\nNothing was saved: ./data.csv is as it was and the readings are still in the "
      "logger.\n",
      serProblem().c_str());
  std::fflush(stdout);
  return false;
}

}  // namespace

bool receive_dump(std::vector<std::uint8_t>& databuff) {
  databuff.clear();
  serEmpty();
  if (!serSendChar('p')) return cutShort(false);

  DumpParser parser;
  int i = 0;
  for (;;) {
    auto c = serRecvChar();
    if (!c) return cutShort(databuff.size() >= 100);
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
