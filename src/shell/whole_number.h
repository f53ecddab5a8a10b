// Whole numbers read from settings, from the scripts' result lines and from
// other programs' output. Every digit the program reads goes through here.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace vantor {

inline constexpr std::int64_t kIntLimit = std::numeric_limits<int>::max();

// True when `text` is made of the decimal digits 0-9 only (also when empty).
bool AllDigits(std::string_view text);

// Decimal digits only, at least one: no sign, no blank, nothing behind.
// Empty for anything else and for a value above `limit`.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text, std::int64_t limit = kIntLimit);

// The number at the start of `text` the way the C library's base-10
// conversion reads it: leading blanks and a sign allowed, digits up to the
// first other character ("10.0" gives 10). Empty when the text does not
// start with a number or the number does not fit an int.
std::optional<int> LeadingNumber(std::string_view text);

}  // namespace vantor
