#include "shell/whole_number.h"

#include <charconv>

namespace vantor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool AllDigits(std::string_view text) {
  for (const char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

std::optional<std::int64_t> ParseWholeNumber(std::string_view text, std::int64_t limit) {
  if (text.empty() || !AllDigits(text)) return std::nullopt;
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value > limit) return std::nullopt;
  return value;
}

std::optional<int> LeadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  // int's lowest value has no positive counterpart: one more is allowed below zero.
  const auto magnitude = ParseWholeNumber(text.substr(at, end - at), kIntLimit + negative);
  if (!magnitude) return std::nullopt;
  return static_cast<int>(negative ? -*magnitude : *magnitude);
}

}  // namespace vantor
