#include "maintenance/size_text.h"

#include <cstdio>

namespace vantor {
namespace {

std::string Fixed(double value, int decimals, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  return text;
}

}  // namespace

std::string FormatSize(std::uint64_t bytes) {
  const double size = static_cast<double>(bytes);
  if (bytes < 1024ull) return Fixed(size, 1, "B");
  if (bytes < 1048576ull) return Fixed(size / 1024.0, 1, "KB");
  if (bytes < 1073741824ull) return Fixed(size / 1048576.0, 2, "MB");
  return Fixed(size / 1073741824.0, 3, "GB");
}

}  // namespace vantor
