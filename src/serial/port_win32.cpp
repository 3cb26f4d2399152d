// Win32 backend of the port layer: the communications API and the print spooler.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winspool.h>

#include <string>
#include <thread>

#include "serial/port.h"

namespace {

using Clock = std::chrono::steady_clock;

// The driver's queues, in and out.
constexpr DWORD SERBUFFSIZE = 128;

HANDLE handleOf(PortHandle port) { return reinterpret_cast<HANDLE>(port); }

// The system's own text for an error code, without its line end.
std::string errorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

std::string describe(int com, const std::string& device) {
  return "COM" + std::to_string(com) + " (" + device + ")";
}

std::string openError(int com, const std::string& device, DWORD code) {
  std::string text = "Cannot open " + describe(com, device) + ": " + errorText(code);
  if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION)
    text += "; another program holds the port, close it and try again";
  else if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
    text += "; there is no such port";
  return text;
}

bool configure(HANDLE h) {
  if (!SetupComm(h, SERBUFFSIZE, SERBUFFSIZE)) return false;

  DCB m_dcb{};
  m_dcb.DCBlength = sizeof m_dcb;
  if (!GetCommState(h, &m_dcb)) return false;
  m_dcb.BaudRate = CBR_9600;
  m_dcb.ByteSize = 8;
  m_dcb.Parity = NOPARITY;
  m_dcb.StopBits = ONESTOPBIT;
  m_dcb.fAbortOnError = TRUE;
  if (!SetCommState(h, &m_dcb)) return false;

  // A one-byte transfer gives up after 10 ms per byte plus 50 ms.
  COMMTIMEOUTS m_CommTimeouts{};
  if (!GetCommTimeouts(h, &m_CommTimeouts)) return false;
  m_CommTimeouts.ReadIntervalTimeout = 50;
  m_CommTimeouts.ReadTotalTimeoutMultiplier = 10;
  m_CommTimeouts.ReadTotalTimeoutConstant = 50;
  m_CommTimeouts.WriteTotalTimeoutMultiplier = 10;
  m_CommTimeouts.WriteTotalTimeoutConstant = 50;
  return SetCommTimeouts(h, &m_CommTimeouts) != 0;
}

// A transfer failed. With fAbortOnError the driver refuses every transfer after a line
// error (framing, parity, overrun, break) until the error is cleared; clear it and carry
// on, as the POSIX backend does, where such a byte simply arrives damaged or as NUL. A
// failure with no line error to clear means the port itself is gone.
PortIo afterFailure(HANDLE h, std::string& error) {
  const DWORD code = GetLastError();
  DWORD errors = 0;
  if (ClearCommError(h, &errors, nullptr) && errors != 0) return PortIo::TimedOut;
  error = errorText(code);
  return PortIo::Failed;
}

}  // namespace

PortOpening portOpen(int com) {
  // "COM10" and above resolve only through the device namespace; it serves 1 to 9 too.
  const std::string device = "\\\\.\\COM" + std::to_string(com);
  HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return {NO_PORT, device, openError(com, device, GetLastError())};
  if (!configure(h)) {
    const DWORD code = GetLastError();
    CloseHandle(h);
    return {NO_PORT, device,
            "Cannot set up " + describe(com, device) + " for 9600 baud 8N1: " + errorText(code)};
  }
  PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return {reinterpret_cast<PortHandle>(h), device, {}};
}

PortIo portReadByte(PortHandle port, unsigned char& received, std::string& error) {
  DWORD n = 0;
  if (!ReadFile(handleOf(port), &received, 1, &n, nullptr))
    return afterFailure(handleOf(port), error);
  return n == 1 ? PortIo::Done : PortIo::TimedOut;
}

PortIo portWriteByte(PortHandle port, unsigned char toSend, std::string& error) {
  DWORD n = 0;
  if (!WriteFile(handleOf(port), &toSend, 1, &n, nullptr))
    return afterFailure(handleOf(port), error);
  return n == 1 ? PortIo::Done : PortIo::TimedOut;
}

void portDrain(PortHandle port, Clock::time_point deadline) {
  // FlushFileBuffers has no time-out and would wait for ever on a line held by flow
  // control, so watch the output queue instead.
  COMSTAT stat{};
  DWORD errors = 0;
  while (ClearCommError(handleOf(port), &errors, &stat) && stat.cbOutQue > 0 &&
         Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void portClose(PortHandle port) { CloseHandle(handleOf(port)); }

std::optional<std::vector<std::string>> portNames() {
  DWORD needed = 0, returned = 0;
  EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned);  // only sizes the list
  if (needed == 0) return std::nullopt;
  std::vector<BYTE> block(needed);
  if (!EnumPortsA(nullptr, 1, block.data(), needed, &needed, &returned)) return std::nullopt;
  const auto* ports = reinterpret_cast<const PORT_INFO_1A*>(block.data());
  std::vector<std::string> names;
  for (DWORD i = 0; i < returned; ++i) names.emplace_back(ports[i].pName ? ports[i].pName : "");
  return names;
}
