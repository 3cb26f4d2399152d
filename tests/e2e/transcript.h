// What datalog prints, piece by piece, for building expected console transcripts.
#pragma once

#include <string>

#include "session.h"

inline const std::string PORT_QUESTION =
    "The following serial ports are available on your computer:\n\t{PORTS}\n"
    "Please enter a serial port number:\n> ";

inline const std::string MENU =
    " 1. Set log interval.\n"
    " 2. Download log.\n"
    " 3. Set device to download mode.\n"
    " 4. Set device to datalogger mode.\n"
    "99. Quit\n"
    "> ";

inline const std::string CLOSING = "# Closing device\n";
inline const std::string INVALID = "Invalid selection. Try again.\n";
inline const std::string INTERVAL_QUESTION =
    "Enter time interval.\tYou may use half seconds.\n To enter 2.5 seconds, enter 2.5\n> ";

inline std::string opening(int com) { return "# Opening device COM" + std::to_string(com) + "\n"; }

// Start, then menu, as every session begins on port `com`.
inline std::string started(int com) { return PORT_QUESTION + opening(com) + MENU; }

struct Moment {
  int month, day, year, hour, minute;
};

// The answers that enter `m`, one per line.
inline std::string typed(const Moment& m) {
  std::string text;
  for (int v : {m.month, m.day, m.year, m.hour, m.minute}) text += std::to_string(v) + "\n";
  return text;
}

// The questions of one moment, under "Enter Starting\n" or "Enter Ending\n".
inline std::string momentQuestions(const std::string& heading) {
  return heading + "\tMonth: \n> " + heading + "\tDay: \n> " + heading + "\tYear: \n> " +
         "\tHour (24 hour clock): \n> \tMinute: \n> ";
}

inline const std::string PERIOD_QUESTIONS =
    momentQuestions("Enter Starting\n") + momentQuestions("Enter Ending\n");

// What the link reset and the start of reception print.
inline std::string receiving(int com) { return CLOSING + opening(com) + "about to receive data\n"; }

inline std::string summary(std::size_t u, long long span, long long interval) {
  return "\nDatapoints = " + std::to_string(u) + "\n\nTimeSpan = " + std::to_string(span) +
         "\n\nInterval = " + std::to_string(interval) + "\n";
}

// What differs between the two builds.

// The device a message names for COM<com>: on Linux the tty behind it, on Windows the
// device namespace name.
inline std::string shownDevice(int com, const std::string& linuxDevice) {
  return UNDER_WINE ? "\\\\.\\COM" + std::to_string(com) : linuxDevice;
}

// The line for a COM number that nothing answers to.
inline std::string noSuchPort(int com, const std::string& linuxDevice = "") {
  const std::string name = "COM" + std::to_string(com);
  if (UNDER_WINE)
    return "# Cannot open " + name + " (" + shownDevice(com, "") +
           "): File not found; there is no such port\n";
  if (linuxDevice.empty()) return "# Cannot open " + name + ": there is no such port\n";
  return "# Cannot open " + name + " (" + linuxDevice + "): No such file or directory\n";
}

// The lines for a port that stopped working in the middle of a download. On Windows an
// unplugged adapter makes reads fail, but wine keeps a hung-up tty open and lets every
// read wait out its time-out, so there the logger just seems to have stopped sending.
inline std::string lostPort(int com, const std::string& linuxDevice) {
  if (UNDER_WINE)
    return "# No data from COM" + std::to_string(com) +
           " for 10 seconds; the logger stopped sending\n";
  return "# COM" + std::to_string(com) + " (" + linuxDevice +
         ") stopped working: the line hung up; is the adapter still plugged in?\n";
}
