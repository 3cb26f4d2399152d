#include "serial/serial.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "serial/port.h"

namespace {

PortHandle m_hCom = NO_PORT;
int lastSer = -1;
char serPort[16] = "";

// The port stopped working: say so and let go of it. The next reset opens it again.
void lose(const std::string& reason) {
  std::printf("# %s: %s\n", serPort, reason.c_str());
  std::fflush(stdout);
  portClose(m_hCom);
  m_hCom = NO_PORT;
}

}  // namespace

void serInit(int serNum) {
  if (serNum == -1) serNum = lastSer;
  if (serNum == -1) {
    std::fputs("Invalid serial port!\n", stderr);
    std::exit(1);
  }
  lastSer = serNum;
  std::snprintf(serPort, sizeof serPort, "COM%d", serNum);
  std::printf("# Opening device %s\n", serPort);
  std::fflush(stdout);

  PortOpening opening = portOpen(serNum);
  m_hCom = opening.handle;
  if (m_hCom == NO_PORT) {
    std::printf("# %s\n", opening.error.c_str());
    std::fflush(stdout);
  }
}

void serClose() {
  std::fputs("# Closing device\n", stdout);
  std::fflush(stdout);
  if (m_hCom != NO_PORT) portClose(m_hCom);
  m_hCom = NO_PORT;
}

void serEmpty() {
  serClose();
  serInit(-1);
}

bool serIsOpen() { return m_hCom != NO_PORT; }

const char* serName() { return serPort; }

bool serSendChar(char c) {
  if (m_hCom == NO_PORT) return false;
  std::string error;
  PortIo io = portWriteByte(m_hCom, static_cast<unsigned char>(c), error);
  const auto handed = std::chrono::steady_clock::now();
  if (io == PortIo::Failed) {
    lose(error);
    return false;
  }
  // A write that timed out is not retried; the logger misses that byte as it would
  // on a line held by flow control.
  portDrain(m_hCom, handed + SEND_PAUSE);
  std::this_thread::sleep_until(handed + SEND_PAUSE);
  return io == PortIo::Done;
}

std::optional<char> serRecvChar() {
  const auto silentSince = std::chrono::steady_clock::now();
  while (m_hCom != NO_PORT) {
    unsigned char byte = 0;
    std::string error;
    switch (portReadByte(m_hCom, byte, error)) {
      case PortIo::Done: return static_cast<char>(byte);
      case PortIo::Failed: lose(error); return std::nullopt;
      case PortIo::TimedOut:
        if (std::chrono::steady_clock::now() - silentSince >= SILENCE_LIMIT) {
          std::printf("# %s: no data for %lld seconds; the logger stopped sending\n", serPort,
                      static_cast<long long>(SILENCE_LIMIT.count()));
          std::fflush(stdout);
          return std::nullopt;
        }
        break;
    }
  }
  return std::nullopt;
}
