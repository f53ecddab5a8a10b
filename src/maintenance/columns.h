// Right-aligned report columns.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

// `text` behind spaces up to `width` (never cut).
inline std::string RightAligned(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text);
  return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace vantor
