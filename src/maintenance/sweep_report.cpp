#include "maintenance/sweep_report.h"

#include <charconv>
#include <vector>

#include "maintenance/columns.h"
#include "shell/console_text.h"
#include "shell/script_host.h"
#include "shell/text.h"

namespace vantor {
namespace {

// The leading decimal digits as a number; 0 when there are none.
long CountOf(const std::string& field) {
  unsigned long value = 0;
  const auto parsed = std::from_chars(field.data(), field.data() + field.size(), value);
  if (parsed.ec != std::errc() || value > 1000000000ul) return 0;
  return static_cast<long>(value);
}

void PrintCountLine(Console& console, long count, std::string_view label, std::string_view size) {
  console.Write("      [-] ");
  Print(console, color::kRed, RightAligned(std::to_string(count), 3));
  Print(console, color::kGrey, "   " + PadRight(label, 15) + " .......... ");
  Print(console, color::kGreen, RightAligned(size, 9) + "\n");
  console.SetColor(color::kGrey);
}

void PrintDestinationLine(Console& console, const SweepResult& result,
                          const SweepDestination& destination) {
  console.Write("\n    ");
  Print(console, color::kGreen, result.totalSize);
  Print(console, color::kYellow, " sent to ");
  Print(console, color::kCyan, destination.anchorName + destination.separator + "Vantor_Sweep ");
  Print(console, color::kYellow, "held for ");
  Print(console, color::kGreen, destination.maxDays);
  Print(console, color::kYellow, " days\n");
  console.SetColor(color::kGrey);
}

}  // namespace

std::optional<SweepResult> ParseSweepResult(std::string_view line) {
  const std::vector<std::string> fields = SplitFields(line, '|');
  if (fields.size() < 7 || fields[0] != "X") return std::nullopt;
  return SweepResult{CountOf(fields[1]), fields[2], CountOf(fields[3]),
                     fields[4],          fields[5], fields[6]};
}

void PrintCleanupReport(Console& console, const SweepResult& result,
                        const SweepDestination& destination) {
  if (result.clutterCount + result.modelCount == 0) {
    console.Write("      ");
    Print(console, color::kGreen, "[*] Folder is clean. No maintenance required.\n");
    console.SetColor(color::kGrey);
    return;
  }
  if (result.clutterCount > 0)
    PrintCountLine(console, result.clutterCount, "Clutter files", result.clutterSize);
  if (result.modelCount > 0)
    PrintCountLine(console, result.modelCount, "Old versions", result.modelSize);
  PrintDestinationLine(console, result, destination);
  if (result.logBusy == "1") {
    console.Write("          ");
    Print(console, color::kRed,
          "[WARNING: Log file locked by another program. History not saved!]\n");
    console.SetColor(color::kGrey);
  }
}

}  // namespace vantor
