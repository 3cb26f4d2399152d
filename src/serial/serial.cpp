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
std::string device;   // what the port is on this computer, for messages
std::string problem;  // why the last transfer failed

bool notOpen() {
  problem = std::string(serPort) + " is not open";
  return false;
}

// The port stopped working: let go of it. The next reset opens it again.
void lose(const std::string& reason) {
  problem = std::string(serPort) + " (" + device + ") stopped working: " + reason +
            "; is the adapter still plugged in?";
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
  device = opening.device;
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

const std::string& serProblem() { return problem; }

bool serSendChar(char c) {
  if (m_hCom == NO_PORT) return notOpen();
  std::string error;
  PortIo io = portWriteByte(m_hCom, static_cast<unsigned char>(c), error);
  const auto handed = std::chrono::steady_clock::now();
  if (io == PortIo::Failed) {
    lose(error);
    return false;
  }
  portDrain(m_hCom, handed + SEND_PAUSE);
  std::this_thread::sleep_until(handed + SEND_PAUSE);
  if (io == PortIo::TimedOut) {
    problem = std::string(serPort) +
              " did not take a byte within 60 ms; is flow control holding the line?";
    return false;
  }
  return true;
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
          problem = "No data from " + std::string(serPort) + " for " +
                    std::to_string(SILENCE_LIMIT.count()) + " seconds; the logger stopped sending";
          return std::nullopt;
        }
        break;
    }
  }
  notOpen();
  return std::nullopt;
}
