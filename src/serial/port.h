// The platform layer under the serial link. One backend per operating system
// implements these; nothing above this header includes a platform header.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An open port: a file descriptor on POSIX, a HANDLE on Windows.
using PortHandle = std::intptr_t;
inline constexpr PortHandle NO_PORT = -1;

// Outcome of a one-byte transfer.
enum class PortIo {
  Done,      // the byte moved
  TimedOut,  // nothing moved within the time-out; the port is still usable
  Failed,    // the port is gone or unusable (unplugged, hung up); close it
};

struct PortOpening {
  PortHandle handle = NO_PORT;
  std::string device;  // what the port is on this computer ("/dev/ttyUSB0", "\\.\COM3")
  std::string error;   // empty on success, else one sentence naming the device and the reason
};

// Opens port COM<com> for this process alone, at 9600 baud 8N1 with the link's time-outs,
// and throws away whatever was waiting in its queues.
PortOpening portOpen(int com);

// Reads one byte, waiting at most 60 ms for it. On Failed, `error` gives the reason.
PortIo portReadByte(PortHandle port, unsigned char& byte, std::string& error);

// Hands one byte to the driver, giving up after 60 ms. On Failed, `error` gives the reason.
PortIo portWriteByte(PortHandle port, unsigned char byte, std::string& error);

// Waits until the bytes written have left the port, but not beyond `deadline`.
void portDrain(PortHandle port, std::chrono::steady_clock::time_point deadline);

void portClose(PortHandle port);

// The ports this computer knows, named as Windows names them ("COM1:", "LPT1:"), in the
// order the system lists them; nothing when no list can be had.
std::optional<std::vector<std::string>> portNames();
