#include "logger/interval.h"

#include <cmath>
#include <cstdio>

std::optional<unsigned> halfSecondsFromSeconds(float seconds) {
  constexpr float longest = MAX_INTERVAL_HALF_SECONDS / 2.0f;
  if (!std::isfinite(seconds) || seconds < 0 || seconds > longest) return std::nullopt;
  return static_cast<unsigned>(seconds * 2);
}

std::string intervalCommand(unsigned halfSeconds) {
  char hex[9];  // room for any unsigned; only the low 16 bits are sent
  std::snprintf(hex, sizeof hex, "%04x", halfSeconds & MAX_INTERVAL_HALF_SECONDS);
  return std::string("w04") + hex[0] + hex[1] + "w05" + hex[2] + hex[3];
}
