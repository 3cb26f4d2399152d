// POSIX backend of the port layer: termios, poll, flock.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

#include "serial/com_ports_posix.h"
#include "serial/port.h"

namespace {

using Clock = std::chrono::steady_clock;

// The link's time-outs: a one-byte transfer gives up after 10 ms per byte plus 50 ms.
constexpr auto BYTE_TIMEOUT = std::chrono::milliseconds(60);

// Bytes read from the driver in one go and handed out one at a time. At 9600 baud about
// 58 bytes arrive in one read time-out.
std::array<unsigned char, 128> received;
std::size_t receivedNext = 0, receivedEnd = 0;
// Whether the last read found bytes: more are on their way.
bool flowing = false;

std::string describe(int com, const std::string& device) {
  return "COM" + std::to_string(com) + " (" + device + ")";
}

std::string openError(int com, const std::string& device, int err) {
  std::string text = "Cannot open " + describe(com, device) + ": " + std::strerror(err);
  if (err == EACCES || err == EPERM)
    text +=
        "; add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again";
  else if (err == EBUSY || err == EWOULDBLOCK)
    text += "; another program holds the port, close it and try again";
  return text;
}

// Raw 9600 8N1 with the receiver on and modem lines ignored. Flow control and the
// DTR/RTS lines stay as the driver had them.
bool configure(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IUCLC | IMAXBEL | INPCK | IGNPAR);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  // The port is non-blocking; with VMIN 1 a read that finds nothing fails with EAGAIN,
  // where VMIN 0 would return 0, the same as a hang-up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, B9600) != 0 || cfsetospeed(&tio, B9600) != 0) return false;
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Waits for `events` on the port until the byte time-out has passed. The deadline is
// monotonic, so a signal that interrupts the wait does not stretch it.
int waitFor(int fd, short events) {
  const auto deadline = Clock::now() + BYTE_TIMEOUT;
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd pfd{fd, events, 0};
    int n = poll(&pfd, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (n > 0) return pfd.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return POLLERR;
  }
}

std::string lostError(int err) { return std::strerror(err); }

}  // namespace

PortOpening portOpen(int com) {
  auto ports = resolveComPorts(systemComRoots());
  auto it = std::find_if(ports.begin(), ports.end(), [com](auto& p) { return p.number == com; });
  if (it == ports.end())
    return {NO_PORT, "", "Cannot open COM" + std::to_string(com) + ": there is no such port"};
  // Name the device itself in messages, not the link a pinned port goes through.
  std::error_code ec;
  const auto target = std::filesystem::canonical(it->device, ec);
  const std::string device = (ec ? it->device : target).string();

  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {NO_PORT, device, openError(com, device, errno)};
  // The port is not shared: an advisory lock that other serial programs honour, then
  // the tty's own exclusive mode, which refuses any further open.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
    int err = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return {NO_PORT, device, openError(com, device, err)};
  }
  if (!configure(fd)) {
    int err = errno;
    portClose(fd);
    return {NO_PORT, device,
            "Cannot set up " + describe(com, device) + " for 9600 baud 8N1: " + std::strerror(err)};
  }
  tcflush(fd, TCIOFLUSH);
  receivedNext = receivedEnd = 0;
  flowing = false;
  return {fd, device, {}};
}

// Reads what the driver holds into `received`: the count, 0 for none, -1 when the port
// is gone (`error` says why).
ssize_t readWaiting(int fd, std::string& error) {
  ssize_t n;
  do n = ::read(fd, received.data(), received.size());
  while (n < 0 && errno == EINTR);
  if (n > 0) {
    receivedNext = 0;
    receivedEnd = static_cast<std::size_t>(n);
    return n;
  }
  if (n < 0 && errno == EAGAIN) return 0;
  error = n == 0 ? "the line hung up" : lostError(errno);
  return -1;
}

PortIo portReadByte(PortHandle port, unsigned char& byte, std::string& error) {
  const int fd = static_cast<int>(port);
  if (receivedNext == receivedEnd) {
    ssize_t n = readWaiting(fd, error);
    if (n == 0) {
      // While bytes are flowing, sleep one time-out and take them in a batch: waiting
      // in poll() would wake the program for every byte that arrives.
      if (flowing) {
        std::this_thread::sleep_for(BYTE_TIMEOUT);
      } else {
        const int revents = waitFor(fd, POLLIN);
        if (revents & (POLLHUP | POLLERR) && !(revents & POLLIN)) {
          error = (revents & POLLHUP) ? "the line hung up" : lostError(EIO);
          return PortIo::Failed;
        }
      }
      n = readWaiting(fd, error);
    }
    flowing = n > 0;
    if (n < 0) return PortIo::Failed;
    if (n == 0) return PortIo::TimedOut;
  }
  byte = received[receivedNext++];
  return PortIo::Done;
}

PortIo portWriteByte(PortHandle port, unsigned char byte, std::string& error) {
  const int fd = static_cast<int>(port);
  int revents = waitFor(fd, POLLOUT);
  if (revents == 0) return PortIo::TimedOut;
  if (revents & POLLOUT) {
    for (;;) {
      ssize_t n = ::write(fd, &byte, 1);
      if (n == 1) return PortIo::Done;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return PortIo::TimedOut;
      error = lostError(n == 0 ? EIO : errno);
      return PortIo::Failed;
    }
  }
  error = (revents & POLLHUP) ? "the line hung up" : lostError(EIO);
  return PortIo::Failed;
}

void portDrain(PortHandle port, Clock::time_point deadline) {
  // tcdrain() has no time-out and would wait for ever on a line held by flow
  // control, so watch the output queue instead.
  const int fd = static_cast<int>(port);
  int queued = 0;
  while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void portClose(PortHandle port) {
  const int fd = static_cast<int>(port);
  // The exclusive mode belongs to the tty, not to this descriptor: lift it so the
  // next open (ours after a reset, or another program's) is not refused.
  ioctl(fd, TIOCNXCL);
  ::close(fd);
  receivedNext = receivedEnd = 0;
}

std::optional<std::vector<std::string>> portNames() {
  std::vector<std::string> names;
  for (const auto& port : resolveComPorts(systemComRoots()))
    names.push_back("COM" + std::to_string(port.number) + ":");
  return names;
}
