// The logger's log interval: a count of half-seconds written to registers 04 and 05.
#pragma once

#include <optional>
#include <string>

// The largest interval the registers hold: 65535 half-seconds.
inline constexpr unsigned MAX_INTERVAL_HALF_SECONDS = 0xffff;

// Seconds as typed, to whole half-seconds (truncated). Nothing when the value is
// negative, not finite, or beyond MAX_INTERVAL_HALF_SECONDS.
std::optional<unsigned> halfSecondsFromSeconds(float seconds);

// The ten bytes that store `halfSeconds` in the logger: "w04" and the high byte, then
// "w05" and the low byte, each as two lowercase hex digits.
std::string intervalCommand(unsigned halfSeconds);
