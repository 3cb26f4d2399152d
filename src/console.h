// Answers typed at the console. Every answer is one line; text after a number is
// ignored, as is a line that holds no number, so no input can make a question loop.
#pragma once

#include <optional>
#include <string_view>

// Exit status when the input ends in the middle of a question.
inline constexpr int EXIT_INPUT_ENDED = 2;

// The number a text starts with, after blanks, as atoi reads it; beyond the range of an
// int it is clamped to INT_MIN or INT_MAX. Nothing when the text does not start with one.
std::optional<int> leadingInt(std::string_view text);

// The decimal number a text starts with, after blanks, as strtof reads it.
std::optional<float> leadingFloat(std::string_view text);

enum class Answer { Number, NotANumber, EndOfInput };

// Skips blank lines, then reads one line from standard input and takes the number it
// starts with into `value`. The rest of the line is discarded.
Answer readInt(int& value);
Answer readFloat(float& value);

// Reads a number for a question; when the input has ended, nothing more can be asked,
// so the port is closed and the program ends with EXIT_INPUT_ENDED. Nothing is
// returned for a line that holds no number.
std::optional<int> askInt();
std::optional<float> askFloat();

// Closes the port (with its message) and ends the program.
[[noreturn]] void quit(int status);
