#include "logger_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace emulator {

namespace {

// 10 bits on the wire per byte (start, 8 data, stop) at 9600 baud.
constexpr auto BYTE_TIME = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);

[[noreturn]] void fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string dumpText(const Options& options) {
  std::string text = options.firstLine;
  if (options.dumpBody) return text + *options.dumpBody;
  for (int value : options.readings) text += std::to_string(value) + "\r\n";
  return text + "cmd:";
}

std::vector<int> readingsFromFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::vector<int> readings;
  for (int value; in >> value;) readings.push_back(value);
  return readings;
}

std::vector<int> generatedReadings(std::size_t count) {
  constexpr double pi = 3.14159265358979323846;
  std::vector<int> readings;
  readings.reserve(count);
  unsigned noise = 12345;
  for (std::size_t i = 0; i < count; ++i) {
    const double day = static_cast<double>(i % 144) / 144.0;  // 144 ten-minute steps a day
    noise = noise * 1103515245u + 12345u;
    const double jitter = static_cast<double>((noise >> 16) % 7) - 3.0;
    readings.push_back(
        static_cast<int>(std::lround(120 + 40 * std::sin(2 * pi * (day - 0.375)) + jitter)));
  }
  return readings;
}

LoggerEmulator::LoggerEmulator(Options options) : options_(std::move(options)) {
  plugIn();
  thread_ = std::thread([this] { run(); });
}

void LoggerEmulator::plugIn() {
  if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) fail("openpty");
  device_ = ttyname(slave_);
  // Raw from the start, so nothing the program sends is echoed back before it has
  // configured the port itself.
  termios tio{};
  tcgetattr(slave_, &tio);
  cfmakeraw(&tio);
  tcsetattr(slave_, TCSANOW, &tio);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  if (!pinned_.empty()) pinTo(pinned_);
}

// Points the link at the device in one step, so nobody finds it missing.
void LoggerEmulator::pinTo(const std::filesystem::path& link) const {
  auto fresh = link;
  fresh += ".new";
  std::filesystem::remove(fresh);
  std::filesystem::create_symlink(device_, fresh);
  std::filesystem::rename(fresh, link);
}

// Whether the program has read everything sent so far, so a fault comes at a known point.
// Written bytes reach the slave's queue a moment later, so a quiet spell is awaited too.
bool LoggerEmulator::allRead() const {
  int waiting = 0;
  return Clock::now() - lastWrite_ > std::chrono::milliseconds(50) &&
         ioctl(slave_, FIONREAD, &waiting) == 0 && waiting == 0;
}

// Closing every descriptor of the master side hangs up the slave, as pulling a USB
// adapter does to its tty. A replugged logger is pinned anew before the hang-up, so the
// program finds it as soon as it notices.
void LoggerEmulator::unplug() {
  std::lock_guard lock(mutex_);
  const int oldMaster = master_, oldSlave = slave_;
  master_ = slave_ = -1;
  if (options_.replug) plugIn();
  close(oldMaster);
  close(oldSlave);
  out_.clear();
  outSent_ = 0;
  command_.clear();
  ++unplugs_;
  options_.unplugAfter.reset();  // once
}

LoggerEmulator::~LoggerEmulator() {
  stop_ = true;
  thread_.join();
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

std::string LoggerEmulator::device() const {
  std::lock_guard lock(mutex_);
  return device_;
}

void LoggerEmulator::pin(const std::filesystem::path& link) const {
  std::lock_guard lock(mutex_);
  std::filesystem::create_directories(link.parent_path());
  pinned_ = link;
  pinTo(pinned_);
}

std::vector<ReceivedByte> LoggerEmulator::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::map<int, int> LoggerEmulator::registers() const {
  std::lock_guard lock(mutex_);
  return registers_;
}

char LoggerEmulator::mode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

int LoggerEmulator::dumpsSent() const {
  std::lock_guard lock(mutex_);
  return dumpsSent_;
}

int LoggerEmulator::unplugs() const {
  std::lock_guard lock(mutex_);
  return unplugs_;
}

void LoggerEmulator::run() {
  while (!stop_) {
    if (master_ < 0) {  // unplugged for good
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    const std::size_t sendable =
        options_.silentAfter ? std::min(out_.size(), *options_.silentAfter) : out_.size();
    const bool sending = outSent_ < sendable;
    // Wait for the program's bytes; while sending, also for room in the pseudo-terminal,
    // or, when paced, for the moment the next byte would have crossed the wire.
    std::chrono::nanoseconds wait = std::chrono::milliseconds(20);
    short events = POLLIN;
    if (sending && (!options_.paced || blocked_)) events |= POLLOUT;
    if (sending && options_.paced) {
      const auto nextSlot = outStart_ + BYTE_TIME * static_cast<long>(outSent_ + 1);
      wait = std::max(std::chrono::nanoseconds(0), nextSlot - Clock::now());
    }
    pollfd pfd{master_, events, 0};
    const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                           static_cast<long>(wait.count() % 1'000'000'000)};
    if (ppoll(&pfd, 1, &timeout, nullptr) < 0 && errno != EINTR) return;
    if (pfd.revents & POLLIN) {
      unsigned char buffer[256];
      ssize_t n = read(master_, buffer, sizeof buffer);
      const auto at = Clock::now();
      for (ssize_t i = 0; i < n; ++i) take(buffer[i], at);
    }
    if (sending) send();
    if (options_.unplugAfter && !out_.empty() && outSent_ >= *options_.unplugAfter && allRead())
      unplug();
  }
}

void LoggerEmulator::take(unsigned char byte, Clock::time_point at) {
  std::lock_guard lock(mutex_);
  received_.push_back({byte, at});
  if (command_.empty()) {
    if (byte == 'p') {
      out_ = dumpText(options_);
      outSent_ = 0;
      outStart_ = at;
      ++dumpsSent_;
    } else if (byte == 'w' || byte == 'm') {
      command_.push_back(static_cast<char>(byte));
    }
    return;
  }
  command_.push_back(static_cast<char>(byte));
  if (command_[0] == 'm') {
    mode_ = static_cast<char>(byte);
    command_.clear();
  } else if (command_.size() == 5) {  // "w", two register digits, two hex digits
    const int reg = (command_[1] - '0') * 10 + (command_[2] - '0');
    const int high = hexValue(command_[3]), low = hexValue(command_[4]);
    if (high >= 0 && low >= 0) registers_[reg] = high * 16 + low;
    command_.clear();
  }
}

void LoggerEmulator::send() {
  std::size_t due = out_.size();
  if (options_.paced) {
    const auto elapsed = Clock::now() - outStart_;
    due = std::min(due, static_cast<std::size_t>(elapsed / BYTE_TIME));
  }
  if (options_.silentAfter) due = std::min(due, *options_.silentAfter);
  if (options_.unplugAfter) due = std::min(due, *options_.unplugAfter);
  if (due <= outSent_) return;
  const std::size_t want = due - outSent_;
  ssize_t n = write(master_, out_.data() + outSent_, want);
  blocked_ = n < static_cast<ssize_t>(want);
  if (n > 0) {
    outSent_ += static_cast<std::size_t>(n);
    lastWrite_ = Clock::now();
  }
}

}  // namespace emulator
