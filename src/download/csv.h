// The file the readings are saved in: one row "date time, value" per reading, CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "download/spacing.h"

// One row for a reading taken at `t` (seconds since the epoch), in local time:
// "%Y-%m-%d %H:%M:%S, <value>\r\n". Nothing when the time cannot be converted.
std::optional<std::string> csvRow(std::int64_t t, std::uint8_t value);

// Writes one row per reading, timed by `clock`, to `path`. The rows go to a temporary
// file beside it that replaces `path` only once every row is written, so a failure
// leaves the old file as it was. Returns the reason for a failure, or nothing.
std::optional<std::string> writeCsv(const std::string& path,
                                    const std::vector<std::uint8_t>& readings, RowClock clock);
