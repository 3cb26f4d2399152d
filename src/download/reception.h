// The receiving half of a download.
#pragma once

#include <cstdint>
#include <vector>

// Resets the link, asks the logger for its dump and collects the readings into
// `databuff` (emptied first), printing a dot per 100 readings. False, after saying why,
// when the dump did not arrive whole.
bool receive_dump(std::vector<std::uint8_t>& databuff);
