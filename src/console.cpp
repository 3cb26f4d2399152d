#include "console.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "serial/serial.h"

namespace {

// Longer answers are cut here; no number needs more.
constexpr std::size_t MAX_ANSWER = 256;

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next non-blank line (from its first non-blank character), or nothing at the end
// of input. The whole line is consumed, however long it is.
std::optional<std::string> readAnswerLine() {
  int c = std::getchar();
  while (c != EOF && isBlank(c)) c = std::getchar();
  if (c == EOF) return std::nullopt;
  std::string line;
  for (; c != EOF && c != '\n'; c = std::getchar())
    if (line.size() < MAX_ANSWER) line.push_back(static_cast<char>(c));
  return line;
}

}  // namespace

std::optional<int> leadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    value = std::min(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::optional<float> leadingFloat(std::string_view text) {
  std::string copy(text);  // strtof needs a terminated string
  char* end = nullptr;
  float value = std::strtof(copy.c_str(), &end);
  if (end == copy.c_str()) return std::nullopt;
  return value;
}

namespace {

// Reads one answer and takes the number `parse` finds at its start.
template <typename T>
Answer readNumber(T& value, std::optional<T> (*parse)(std::string_view)) {
  auto line = readAnswerLine();
  if (!line) return Answer::EndOfInput;
  auto number = parse(*line);
  if (!number) return Answer::NotANumber;
  value = *number;
  return Answer::Number;
}

template <typename T>
std::optional<T> askNumber(Answer (*read)(T&)) {
  T value{};
  switch (read(value)) {
    case Answer::Number: return value;
    case Answer::NotANumber: return std::nullopt;
    case Answer::EndOfInput: break;
  }
  quit(EXIT_INPUT_ENDED);
}

}  // namespace

Answer readInt(int& value) { return readNumber(value, leadingInt); }
Answer readFloat(float& value) { return readNumber(value, leadingFloat); }
std::optional<int> askInt() { return askNumber(readInt); }
std::optional<float> askFloat() { return askNumber(readFloat); }

void quit(int status) {
  serClose();
  std::exit(status);
}
