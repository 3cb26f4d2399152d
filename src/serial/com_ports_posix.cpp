#include "serial/com_ports_posix.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The number after `prefix` in `name`, when the rest of the name is only digits.
std::optional<int> numberAfter(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  std::string_view digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::vector<ComPort> pinnedPorts(const fs::path& pins) {
  std::vector<ComPort> ports;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(pins, ec)) {
    auto n = numberAfter(entry.path().filename().string(), "COM");
    if (n && *n > 0) ports.push_back({*n, entry.path()});
  }
  return ports;
}

// The 8250 driver creates a fixed number of ttyS devices whether or not a UART
// is behind them; sysfs reports the phantom ones with type 0.
bool hasUart(const fs::path& sys, int k) {
  std::ifstream type(sys / "class/tty" / ("ttyS" + std::to_string(k)) / "type");
  int value = 0;
  return type >> value && value != 0;
}

// /dev/ttyS*, then /dev/ttyUSB*, then /dev/ttyACM*, each by number: the order wine
// gives them COM numbers in.
std::vector<fs::path> detectedDevices(const ComRoots& roots) {
  constexpr std::array<std::string_view, 3> families = {"ttyS", "ttyUSB", "ttyACM"};
  std::vector<std::pair<std::pair<std::size_t, int>, fs::path>> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.dev, ec)) {
    std::string name = entry.path().filename().string();
    for (std::size_t f = 0; f < families.size(); ++f) {
      auto k = numberAfter(name, families[f]);
      if (!k || (f == 0 && !hasUart(roots.sys, *k))) continue;
      found.push_back({{f, *k}, entry.path()});
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<fs::path> devices;
  for (auto& [order, path] : found) devices.push_back(path);
  return devices;
}

}  // namespace

ComRoots systemComRoots() {
  fs::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = fs::path(home) / ".config";
  }
  return {config.empty() ? fs::path() : config / "datalog" / "ports", "/dev", "/sys"};
}

std::vector<ComPort> resolveComPorts(const ComRoots& roots) {
  std::vector<ComPort> ports =
      roots.pins.empty() ? std::vector<ComPort>() : pinnedPorts(roots.pins);
  std::set<int> taken;
  std::set<fs::path> pinnedDevices;
  for (const auto& port : ports) {
    taken.insert(port.number);
    std::error_code ec;
    if (auto target = fs::canonical(port.device, ec); !ec) pinnedDevices.insert(target);
  }
  int next = 1;
  for (auto& device : detectedDevices(roots)) {
    std::error_code ec;
    if (auto target = fs::canonical(device, ec); !ec && pinnedDevices.count(target)) continue;
    while (taken.count(next)) ++next;
    ports.push_back({next++, std::move(device)});
  }
  std::sort(ports.begin(), ports.end(),
            [](const ComPort& a, const ComPort& b) { return a.number < b.number; });
  return ports;
}
