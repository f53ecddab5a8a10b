// The "[CLEANUP]" report printed after a sweep.
#pragma once

#include <string>
#include <string_view>

#include "maintenance/sweep.h"
#include "platform/platform.h"

namespace vantor {

struct SweepDestination {
  std::string anchorName;  // last component of the anchor folder
  char separator;          // shown between the anchor name and the bin
  std::string maxDays;
  std::string decimalSeparator = ".";  // of the size texts
};

void PrintCleanupReport(Console& console, const SweepOutcome& result,
                        const SweepDestination& destination);

}  // namespace vantor
