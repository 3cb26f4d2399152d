// Commands that change the logger's settings. None of them is answered by the logger.
#pragma once

#include <optional>

// Asks for the log interval in seconds; the answer in half-seconds, or nothing (after a
// message) when it cannot be sent.
std::optional<unsigned> get_interval();

// Asks for the log interval and writes it to the logger.
void set_interval();

// Switches the logger's mode: 'o' download mode, 'd' datalogger mode.
void set_mode(char c);
