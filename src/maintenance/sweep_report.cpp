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

// Files the engine meant to move but had to leave where they were.
void PrintNotMovedLine(Console& console, const SweepResult& result) {
  std::string text = "[WARNING] " + std::to_string(result.notMoved) +
                     (result.notMoved == 1 ? " file" : " files") +
                     " could not be moved and stayed in place";
  if (!result.notMovedReason.empty()) text += ": " + result.notMovedReason;
  console.Write("\n      ");
  Print(console, color::kYellow, text + "\n");
  console.SetColor(color::kGrey);
}

void PrintLogWarning(Console& console, const SweepResult& result) {
  std::string text;
  if (result.logBusy == "1") {
    text = "[WARNING: Log file locked by another program. History not saved!]";
  } else if (result.logBusy == "2") {
    // The engine keeps its journal, so the next run adds the lines.
    text = "[WARNING: Log file could not be written";
    if (!result.logFailure.empty()) text += " (" + result.logFailure + ")";
    text += ". History kept for the next run.]";
  } else {
    return;
  }
  console.Write("          ");
  Print(console, color::kRed, text + "\n");
  console.SetColor(color::kGrey);
}

}  // namespace

std::optional<SweepResult> ParseSweepResult(std::string_view line) {
  const std::vector<std::string> fields = SplitFields(line, '|');
  if (fields.size() < 7 || fields[0] != "X") return std::nullopt;
  SweepResult result{CountOf(fields[1]), fields[2], CountOf(fields[3]),
                     fields[4],          fields[5], fields[6]};
  if (fields.size() > 7) result.notMoved = CountOf(fields[7]);
  if (fields.size() > 8) result.notMovedReason = fields[8];
  if (fields.size() > 9) result.logFailure = fields[9];
  return result;
}

void PrintCleanupReport(Console& console, const SweepResult& result,
                        const SweepDestination& destination) {
  const bool moved = result.clutterCount + result.modelCount > 0;
  if (!moved && result.notMoved == 0) {
    console.Write("      ");
    Print(console, color::kGreen, "[*] Folder is clean. No maintenance required.\n");
    console.SetColor(color::kGrey);
    return;
  }
  if (result.clutterCount > 0)
    PrintCountLine(console, result.clutterCount, "Clutter files", result.clutterSize);
  if (result.modelCount > 0)
    PrintCountLine(console, result.modelCount, "Old versions", result.modelSize);
  if (moved) PrintDestinationLine(console, result, destination);
  if (result.notMoved > 0) PrintNotMovedLine(console, result);
  PrintLogWarning(console, result);
}

}  // namespace vantor
