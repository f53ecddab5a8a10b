#include "launcher/version_number.h"

#include <charconv>
#include <limits>

namespace vantor {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::optional<int> LeadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const char* begin = text.data() + at;
  const char* end = text.data() + text.size();
  if (begin == end || *begin < '0' || *begin > '9') return std::nullopt;
  long long value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc()) return std::nullopt;
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace vantor
