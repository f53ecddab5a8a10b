#include "maintenance/sweep_report.h"

#include <vector>

#include "base/shared_constants.h"
#include "base/text.h"
#include "bin/history_line.h"
#include "maintenance/columns.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

void PrintCountLine(Console& console, std::int64_t count, std::string_view label,
                    std::string_view size) {
  console.Write("      [-] ");
  Print(console, color::kRed, RightAligned(std::to_string(count), 3));
  Print(console, color::kGrey, "   " + PadRight(label, 15) + " .......... ");
  Print(console, color::kGreen, RightAligned(size, 9) + "\n");
  console.SetColor(color::kGrey);
}

void PrintDestinationLine(Console& console, const SweepOutcome& result,
                          const SweepDestination& destination) {
  console.Write("\n    ");
  Print(console, color::kGreen,
        SizeText(result.clutterBytes + result.modelBytes, destination.decimalSeparator));
  Print(console, color::kYellow, " sent to ");
  Print(console, color::kCyan,
        destination.anchorName + destination.separator + std::string(kBinFolderName) + " ");
  Print(console, color::kYellow, "held for ");
  Print(console, color::kGreen, destination.maxDays);
  Print(console, color::kYellow, " days\n");
  console.SetColor(color::kGrey);
}

// Files the sweep meant to move but had to leave where they were.
void PrintNotMovedLine(Console& console, const SweepOutcome& result) {
  std::string text = "[WARNING] " + std::to_string(result.notMoved) +
                     (result.notMoved == 1 ? " file" : " files") +
                     " could not be moved and stayed in place";
  if (!result.notMovedReason.empty()) text += ": " + result.notMovedReason;
  console.Write("\n      ");
  Print(console, color::kYellow, text + "\n");
  console.SetColor(color::kGrey);
}

void PrintLogWarning(Console& console, const SweepOutcome& result) {
  std::string text;
  if (result.log == LogState::Locked) {
    text = "[WARNING: Log file locked by another program. History not saved!]";
  } else if (result.log == LogState::Failed) {
    // The sweep keeps its journal, so the next run adds the lines.
    text = "[WARNING: Log file could not be written";
    if (!result.logReason.empty()) text += " (" + result.logReason + ")";
    text += ". History kept for the next run.]";
  } else {
    return;
  }
  console.Write("          ");
  Print(console, color::kRed, text + "\n");
  console.SetColor(color::kGrey);
}

}  // namespace

void PrintCleanupReport(Console& console, const SweepOutcome& result,
                        const SweepDestination& destination) {
  const bool moved = result.clutterCount + result.modelCount > 0;
  if (!moved && result.notMoved == 0) {
    console.Write("      ");
    Print(console, color::kGreen, "[*] Folder is clean. No maintenance required.\n");
    console.SetColor(color::kGrey);
    return;
  }
  const std::string& separator = destination.decimalSeparator;
  if (result.clutterCount > 0)
    PrintCountLine(console, result.clutterCount, "Clutter files",
                   SizeText(result.clutterBytes, separator));
  if (result.modelCount > 0)
    PrintCountLine(console, result.modelCount, "Old versions",
                   SizeText(result.modelBytes, separator));
  if (moved) PrintDestinationLine(console, result, destination);
  if (result.notMoved > 0) PrintNotMovedLine(console, result);
  PrintLogWarning(console, result);
}

}  // namespace vantor
