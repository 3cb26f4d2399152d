// How COM numbers map to devices on Linux: pinned ports first, then the detected ones.
#pragma once

#include <filesystem>
#include <vector>

struct ComPort {
  int number;                    // the n of COM<n>
  std::filesystem::path device;  // what to open
};

struct ComRoots {
  std::filesystem::path pins;  // folder of COM<n> links
  std::filesystem::path dev;   // normally /dev
  std::filesystem::path sys;   // normally /sys
};

// The roots this machine uses: ${XDG_CONFIG_HOME:-$HOME/.config}/datalog/ports, /dev, /sys.
ComRoots systemComRoots();

// Every COM port, ascending by number. Nothing is opened.
std::vector<ComPort> resolveComPorts(const ComRoots& roots);
