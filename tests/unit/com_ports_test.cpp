#include <gtest/gtest.h>

#include <fstream>

#include "serial/com_ports_posix.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A fake /dev, /sys and ports folder.
class ComPorts : public ::testing::Test {
 protected:
  ComPorts() : roots{dir.path() / "pins", dir.path() / "dev", dir.path() / "sys"} {
    fs::create_directories(roots.pins);
    fs::create_directories(roots.dev);
  }

  void device(const std::string& name) { std::ofstream(roots.dev / name).put('\0'); }
  // A ttyS device; sysfs gives its UART type (0: no UART behind it).
  void uart(int k, int type) {
    const std::string name = "ttyS" + std::to_string(k);
    device(name);
    fs::create_directories(roots.sys / "class/tty" / name);
    std::ofstream(roots.sys / "class/tty" / name / "type") << type << '\n';
  }
  void pin(int com, const fs::path& target) {
    fs::create_symlink(target, roots.pins / ("COM" + std::to_string(com)));
  }

  std::vector<std::pair<int, std::string>> resolved() const {
    std::vector<std::pair<int, std::string>> result;
    for (const auto& port : resolveComPorts(roots))
      result.emplace_back(port.number, port.device.filename().string());
    return result;
  }

  TempDir dir;
  ComRoots roots;
};

using Ports = std::vector<std::pair<int, std::string>>;

TEST_F(ComPorts, NumbersDetectedPortsInWineOrder) {
  device("ttyACM0");
  device("ttyUSB1");
  device("ttyUSB0");
  uart(1, 4);
  uart(0, 4);
  device("ttyUSB10");
  device("ttyUSB2");
  device("tty0");
  device("ttyUSBx");
  EXPECT_EQ(resolved(), (Ports{{1, "ttyS0"},
                               {2, "ttyS1"},
                               {3, "ttyUSB0"},
                               {4, "ttyUSB1"},
                               {5, "ttyUSB2"},
                               {6, "ttyUSB10"},
                               {7, "ttyACM0"}}));
}

TEST_F(ComPorts, SkipsSerialPortsWithoutAUart) {
  uart(0, 4);
  uart(1, 0);
  uart(2, 0);
  device("ttyS3");  // no sysfs entry at all
  device("ttyUSB0");
  EXPECT_EQ(resolved(), (Ports{{1, "ttyS0"}, {2, "ttyUSB0"}}));
}

TEST_F(ComPorts, PinnedPortsKeepTheirNumbersAndDetectedOnesFillTheGaps) {
  uart(0, 4);
  device("ttyUSB0");
  device("ttyUSB1");
  pin(1, "/dev/somewhere-else");
  pin(3, roots.dev / "ttyUSB1");  // pinned under another name: not numbered twice
  pin(12, "/dev/pts/99");
  EXPECT_EQ(resolved(),
            (Ports{{1, "COM1"}, {2, "ttyS0"}, {3, "COM3"}, {4, "ttyUSB0"}, {12, "COM12"}}));
  EXPECT_EQ(resolveComPorts(roots)[2].device, roots.pins / "COM3");
}

TEST_F(ComPorts, IgnoresOtherEntriesInThePortsFolder) {
  pin(0, "/dev/null");
  fs::create_symlink("/dev/null", roots.pins / "COM2x");
  fs::create_symlink("/dev/null", roots.pins / "com4");
  fs::create_symlink("/dev/null", roots.pins / "LPT1");
  pin(5, "/dev/null");
  EXPECT_EQ(resolved(), (Ports{{5, "COM5"}}));
}

TEST_F(ComPorts, MissingFoldersMeanNoPorts) {
  const ComRoots nowhere{dir.path() / "a", dir.path() / "b", dir.path() / "c"};
  EXPECT_TRUE(resolveComPorts(nowhere).empty());
}

}  // namespace
