// Byte counts as the sweep reports show them.
#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// 512.0 B, 1.5 KB, 2.25 MB, 1.000 GB: thresholds 1024, 1048576 and
// 1073741824, with 1, 1, 2 and 3 decimals.
std::string FormatSize(std::uint64_t bytes);

}  // namespace vantor
