#include "maintenance/restore_utility.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_line.h"
#include "bin/history_log.h"
#include "maintenance/restore_list.h"
#include "maintenance/restore_moves.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr const char* kScriptName = "restore_window.ps1";
constexpr const char* kDefaultDays = "14";

// MessageBoxA styles; the Linux stand-in ignores them.
namespace mb {
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kSystemModal = 0x1000;
constexpr unsigned kSetForeground = 0x10000;
constexpr unsigned kDefaultDesktopOnly = 0x20000;
constexpr unsigned kTopmost = 0x40000;
constexpr unsigned kOutcome = kTopmost | kSystemModal | kSetForeground;
}  // namespace mb

const std::string kRule(56, '=');

void ShowListMessage(Context& context, const std::string& text, unsigned icon) {
  context.system.ShowMessageBox(RestoreCaption(), text, icon | mb::kDefaultDesktopOnly);
}

std::string TempFileOf(System& system, const std::string& kind) {
  return system.TempFolder() + "Vantor_" + kind + "_" + std::to_string(system.ProcessId()) + ".txt";
}

// The files the user picked in the window, none when nothing was chosen, or
// why the window gave no answer.
ScriptResult<std::vector<SweptFile>> PickFiles(Context& context,
                                               const std::vector<SweptFile>& offered,
                                               const std::string& days) {
  const auto script = LoadScriptTemplate(kScriptName);
  if (!script) return script.error();
  const std::string rowsFile = TempFileOf(context.system, "Rows");
  const std::string resultFile = TempFileOf(context.system, "Result");
  // Stale ones from an earlier process of the same id.
  RemoveOneFile(rowsFile);
  RemoveOneFile(resultFile);
  if (const std::error_code error = CreateNewFile(rowsFile, RestoreRowsText(offered)))
    return PayloadNotWritten(error);
  const auto code = context.scripts.RunScriptFromStdin(
      FillRestoreScript(*script, rowsFile, RestoreWindowTitle(days), days, resultFile));
  std::vector<std::size_t> rows;
  if (code && *code == 0) rows = ReadChosenRows(resultFile, offered.size());
  RemoveOneFile(rowsFile);
  RemoveOneFile(resultFile);
  if (!code) return code.error();
  if (*code != 0)
    return ScriptError{ScriptFailure::Unreadable,
                       "it ended with exit code " + std::to_string(*code) + "."};
  std::vector<SweptFile> chosen;
  for (const std::size_t row : rows) chosen.push_back(offered[row]);
  return chosen;
}

// The console of /R closes with the job, so a failed window also gets a
// message box, as the job's other failures do.
void ReportWindowFailure(Context& context, const ScriptError& error) {
  constexpr std::string_view kStep = "Restore window";
  PrintScriptError(context.console, "  ", kStep, error);
  context.system.BringMessageBoxForward();
  context.system.ShowMessageBox(RestoreCaption(), std::string(kStep) + " failed: " + error.reason,
                                mb::kIconError | mb::kTopmost);
}

// The offered files, or nothing after saying why there are none.
std::optional<std::vector<SweptFile>> OfferedFiles(Context& context, const std::string& bin,
                                                   const std::string& log) {
  const auto text = ReadWholeFile(log);
  if (!text) {
    context.system.ShowMessageBox(
        RestoreCaption(),
        "The Vantor Sweep History Log could not be read: " + ReasonText(text.error()) + ".",
        mb::kIconError | mb::kTopmost);
    return std::nullopt;
  }
  RestoreList list = BuildRestoreList(*text, bin, context.Style());
  if (!list.anyFileLine) {
    ShowListMessage(context, "Log is empty or formatted incorrectly.", mb::kIconWarning);
    return std::nullopt;
  }
  if (list.offered.empty()) {
    ShowListMessage(context,
                    "No recoverable files found in the bin. Older files may have aged out.",
                    mb::kIconInformation);
    return std::nullopt;
  }
  return std::move(list.offered);
}

}  // namespace

std::string RestoreCaption() { return std::string("Vantor Restore - v") + kVersionText; }

std::string ReadRetentionDays(const std::string& anchorFolder, PathStyle style) {
  const std::string days =
      ReadLastNonEmptySetting(JoinPath(anchorFolder, kMasterFileName, style), "CP_Max_Days");
  return days.empty() ? kDefaultDays : days;
}

void PrintRestoreNotice(Console& console) {
  console.Write("\n");
  Print(console, color::kDarkGrey, kRule + "\n");
  console.Write("  ");
  Print(console, color::kCyan, "Vantor Restore Utility - Background Process\n");
  Print(console, color::kDarkGrey, kRule + "\n\n");
  console.Write("  ");
  Print(console, color::kYellow, "[STATUS]");
  Print(console, color::kGrey, " The graphical interface is currently active.\n\n");
  console.Write("  ");
  Print(console, color::kRed, "[WARNING]");
  Print(console, color::kGrey,
        " Do NOT close this window!\n"
        "             Closing this console will immediately terminate\n"
        "             the Restore GUI.\n\n");
  console.Write("  ");
  Print(console, color::kDarkGrey, "(This window will close automatically when you are done.)\n\n");
  console.SetColor(color::kGrey);
}

std::string FillRestoreScript(std::string_view script, const std::string& rowsFile,
                              const std::string& title, const std::string& days,
                              const std::string& resultFile) {
  // Base64 keeps quotes, "$(...)" and non-ASCII names in paths plain data.
  std::string text = FillPlaceholder(script, "%ROWS_FILE%", EncodeScriptText(rowsFile));
  text = FillPlaceholder(text, "%TITLE%", EncodeScriptText(title));
  text = FillPlaceholder(text, "%DAYS%", EncodeScriptText(days));
  return FillPlaceholder(text, "%RESULT_FILE%", EncodeScriptText(resultFile));
}

std::vector<std::size_t> ReadChosenRows(const std::string& resultFile, std::size_t rowCount) {
  std::vector<std::size_t> rows;
  const auto lines = ReadTextLines(resultFile);
  if (!lines) return rows;
  for (const auto& line : *lines) {
    const auto row = ParseWholeNumber(Trim(line));
    if (row && *row >= 0 && static_cast<std::uint64_t>(*row) < rowCount)
      rows.push_back(static_cast<std::size_t>(*row));
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

MessageBoxRequest RestoreOutcome(int restored) {
  if (restored == 0)
    return MessageBoxRequest{"No files were restored.", mb::kIconWarning | mb::kOutcome};
  return MessageBoxRequest{
      "Successfully restored " + std::to_string(restored) + " file(s) to their original locations.",
      mb::kIconInformation | mb::kOutcome};
}

void RunRestoreUtility(Context& context) {
  const PathStyle style = context.Style();
  const std::string bin = BinFolderOf(context.anchorFolder, style);
  const std::string log = HistoryLogOf(context.anchorFolder, style);
  const std::string days = ReadRetentionDays(context.anchorFolder, style);
  if (!IsDirectory(bin)) {
    context.system.ShowMessageBox(RestoreCaption(),
                                  "The Vantor Sweep Bin was not found at:\n" + bin,
                                  mb::kIconError | mb::kTopmost);
    return;
  }
  // Moves of a sweep or a restore that died are settled first: a sweep cut
  // short before its log was first written leaves only its journal, whose
  // fold writes the log.
  FoldHistory(log);
  if (!PathExists(log)) {
    context.system.ShowMessageBox(RestoreCaption(), "The Vantor Sweep History Log was not found.",
                                  mb::kIconInformation | mb::kTopmost);
    return;
  }

  PrintRestoreNotice(context.console);
  const auto offered = OfferedFiles(context, bin, log);
  if (!offered) return;
  const auto chosen = PickFiles(context, *offered, days);
  if (!chosen) return ReportWindowFailure(context, chosen.error());
  if (chosen->empty()) return;  // cancelled, or nothing chosen
  const int restored = RestoreSweptFiles(*chosen, RestoreTarget{bin, log, style, HistoryTimeNow()});
  const MessageBoxRequest outcome = RestoreOutcome(restored);
  context.system.BringMessageBoxForward();
  context.system.ShowMessageBox(RestoreCaption(), outcome.text, outcome.style);
}

}  // namespace vantor
