#include "logger/interval.h"

#include <cmath>
#include <cstdio>

std::optional<unsigned> halfSecondsFromSeconds(float seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return std::nullopt;
  const float halves = seconds * 2;
  if (halves >= static_cast<float>(MAX_INTERVAL_HALF_SECONDS) + 1) return std::nullopt;
  return static_cast<unsigned>(halves);
}

std::string intervalCommand(unsigned halfSeconds) {
  char hex[9];  // room for any unsigned; only the low 16 bits are sent
  std::snprintf(hex, sizeof hex, "%04x", halfSeconds & MAX_INTERVAL_HALF_SECONDS);
  return std::string("w04") + hex[0] + hex[1] + "w05" + hex[2] + hex[3];
}
