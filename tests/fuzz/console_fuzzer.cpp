// Feeds arbitrary console input to the number reader: every call must consume input, so
// the input always ends, and every number must be what the text says, clamped to an int.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console.h"

namespace {

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::optional<int> expectedInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') digits += text[i++];
  if (digits.empty()) return std::nullopt;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > 10) return negative ? INT_MIN : INT_MAX;
  long long value = digits.empty() ? 0 : std::stoll(digits);
  if (negative) value = -value;
  return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (leadingInt(text) != expectedInt(text)) std::abort();
  (void)leadingFloat(text);

  std::FILE* input = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (!input) return 0;
  std::FILE* saved = stdin;
  stdin = input;
  int value = 0;
  std::size_t answers = 0;
  while (readInt(value) != Answer::EndOfInput)
    if (++answers > size) std::abort();  // each answer takes at least one byte
  stdin = saved;
  std::fclose(input);
  return 0;
}
