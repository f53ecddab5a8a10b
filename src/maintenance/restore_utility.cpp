#include "maintenance/restore_utility.h"

#include <filesystem>

#include "maintenance/purge_settings.h"

#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/paths.h"
#include "shell/shared_constants.h"
#include "shell/text.h"
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
constexpr unsigned kTopmost = 0x40000;
constexpr unsigned kOutcome = kTopmost | kSystemModal | kSetForeground;
}  // namespace mb

const std::string kRule(56, '=');

void RemoveFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(ToFsPath(path), ignored);
}

// The bin and its log must both be there before the window is worth opening.
bool CheckPreconditions(Context& context, const std::string& bin, const std::string& log) {
  if (!IsDirectory(bin)) {
    context.system.ShowMessageBox(RestoreCaption(),
                                  "The Vantor Sweep Bin was not found at:\n" + bin,
                                  mb::kIconError | mb::kTopmost);
    return false;
  }
  if (!PathExists(log)) {
    context.system.ShowMessageBox(RestoreCaption(), "The Vantor Sweep History Log was not found.",
                                  mb::kIconInformation | mb::kTopmost);
    return false;
  }
  return true;
}

// Files restored, none when nothing was shown or chosen, or why the window
// gave no answer.
ScriptResult<std::optional<int>> RunRestoreWindow(Context& context, const std::string& bin,
                                                  const std::string& log, const std::string& days) {
  const auto script = LoadScriptTemplate(kScriptName);
  if (!script) return script.error();
  const std::string resultFile = RestoreResultPath(context.system);
  RemoveFile(resultFile);  // a stale one from an earlier process of the same id
  auto code =
      context.scripts.RunScriptFromStdin(FillRestoreScript(*script, bin, log, days, resultFile));
  if (code) code = ReadRestoreResult(resultFile, *code);
  RemoveFile(resultFile);
  return ReadRestoreExit(code);
}

// The console of /R closes with the job, so a window that never ran also
// gets a message box, as the job's other failures do; one that ran has
// shown its own.
void ReportWindowFailure(Context& context, const ScriptError& error) {
  constexpr std::string_view kStep = "Restore window";
  PrintScriptError(context.console, "  ", kStep, error);
  if (error.failure == ScriptFailure::Unreadable) return;
  context.system.BringMessageBoxForward();
  context.system.ShowMessageBox(RestoreCaption(), std::string(kStep) + " failed: " + error.reason,
                                mb::kIconError | mb::kTopmost);
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

std::string FillRestoreScript(std::string_view script, const std::string& binFolder,
                              const std::string& logFile, const std::string& days,
                              const std::string& resultFile) {
  // Base64 keeps quotes, "$(...)" and non-ASCII names in paths plain data.
  std::string text = FillPlaceholder(script, "%RECYCLE_DIR%", EncodeScriptText(binFolder));
  text = FillPlaceholder(text, "%LOG_FILE%", EncodeScriptText(logFile));
  text = FillPlaceholder(text, "%VERSION%", EncodeScriptText(kVersionText));
  text = FillPlaceholder(text, "%DAYS%", EncodeScriptText(days));
  return FillPlaceholder(text, "%RESULT_FILE%", EncodeScriptText(resultFile));
}

std::string RestoreResultPath(System& system) {
  return system.TempFolder() + "Vantor_Result_" + std::to_string(system.ProcessId()) + ".txt";
}

int ReadRestoreResult(const std::string& resultFile, int processExitCode) {
  const auto lines = ReadTextLines(resultFile);
  if (!lines || lines->empty()) return processExitCode;
  const std::string text = Trim(lines->front());
  const auto code = ParseWholeNumber(text);
  return code ? static_cast<int>(*code) : processExitCode;
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
  const std::string bin = JoinPath(context.anchorFolder, kBinFolderName, style);
  const std::string log = JoinPath(bin, kHistoryLogName, style);
  const std::string days = ReadRetentionDays(context.anchorFolder, style);
  if (!CheckPreconditions(context, bin, log)) return;

  PrintRestoreNotice(context.console);
  const auto restored = RunRestoreWindow(context, bin, log, days);
  if (!restored) return ReportWindowFailure(context, restored.error());
  if (!*restored) return;  // nothing shown or chosen
  const MessageBoxRequest outcome = RestoreOutcome(**restored);
  context.system.BringMessageBoxForward();
  context.system.ShowMessageBox(RestoreCaption(), outcome.text, outcome.style);
}

}  // namespace vantor
