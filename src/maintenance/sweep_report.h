// The "[CLEANUP]" report printed from the sweep engine's result line.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "shell/script_result.h"

namespace vantor {

struct SweepDestination {
  std::string anchorName;  // last component of the anchor folder
  char separator;          // shown between the anchor name and the bin
  std::string maxDays;
};

void PrintCleanupReport(Console& console, const SweepResult& result,
                        const SweepDestination& destination);

}  // namespace vantor
