// The "[CLEANUP]" report printed from the sweep engine's result line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vantor {

// X|clutter count|clutter size|model count|model size|total size|log state
//   [|files not moved|first reason|log failure]
// Log state: "0" written, "1" locked by another program, "2" failed for the
// reason in log failure. The last three fields may be missing (older engine).
struct SweepResult {
  std::int64_t clutterCount = 0;
  std::string clutterSize;
  std::int64_t modelCount = 0;
  std::string modelSize;
  std::string totalSize;
  std::string logBusy;
  std::int64_t notMoved = 0;
  std::string notMovedReason;
  std::string logFailure;
};

// Empty unless `line` splits into at least seven fields headed by "X".
std::optional<SweepResult> ParseSweepResult(std::string_view line);

struct SweepDestination {
  std::string anchorName;  // last component of the anchor folder
  char separator;          // shown between the anchor name and the bin
  std::string maxDays;
};

void PrintCleanupReport(Console& console, const SweepResult& result,
                        const SweepDestination& destination);

}  // namespace vantor
