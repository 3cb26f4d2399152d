// datalog: configures a serial data logger and downloads its log to ./data.csv.
#include <cstdio>

#include "console.h"
#include "download/download.h"
#include "logger/commands.h"
#include "serial/serial.h"

int main() {
  serInit(selectSerPort());

  for (;;) {
    std::puts(" 1. Set log interval.");
    std::puts(" 2. Download log.");
    std::puts(" 3. Set device to download mode.");
    std::puts(" 4. Set device to datalogger mode.");
    std::puts("99. Quit");
    std::printf("> ");
    std::fflush(stdout);

    int reply = 0;
    switch (readInt(reply)) {
      case Answer::EndOfInput: quit(0);
      case Answer::NotANumber:
        reply = 0;  // answered like any number that is not on the menu
        break;
      case Answer::Number: break;
    }
    switch (reply) {
      case 1: set_interval(); break;
      case 2: download(); break;
      case 3: set_mode('o'); break;
      case 4: set_mode('d'); break;
      case 99: quit(0);
      default: std::printf("Invalid selection. Try again.\n"); std::fflush(stdout);
    }
  }
}
