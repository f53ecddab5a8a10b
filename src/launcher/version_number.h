// Whole numbers read from settings and result lines the way the C library's
// base-10 conversion reads them: leading blanks and a sign allowed, digits
// up to the first other character ("10.0" gives 10).
#pragma once

#include <optional>
#include <string_view>

namespace vantor {

// Empty when the text does not start with a number or is out of range.
std::optional<int> LeadingNumber(std::string_view text);

}  // namespace vantor
