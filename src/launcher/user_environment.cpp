#include "launcher/user_environment.h"

#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_line.h"
#include "bin/history_log.h"
#include "bin/safe_move.h"
#include "launcher/special_project.h"
#include "shell/config_file.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// The master's bytes replace the user file whole, never half-written. A
// failure goes unreported, as the launch goes on with the user's file.
void CopyOver(const std::string& from, const std::string& to) {
  if (const auto bytes = ReadFileBytes(from)) ReplaceFileAtomically(to, *bytes);
}

void PrintSwept(Console& console, const std::string& displayName) {
  console.Write("\n      ");
  Print(console, color::kYellow, "[INFO] ");
  Print(console, color::kGrey,
        "Swept legacy " + displayName + " to " + std::string(kBinFolderName) + " bin.\n");
}

void PrintNotSwept(Console& console, const std::string& displayName, const std::string& reason) {
  console.Write("\n      ");
  Print(console, color::kYellow, "[WARNING] ");
  Print(console, color::kGrey,
        "Could not move " + displayName + " to " + std::string(kBinFolderName) + " bin (" + reason +
            "). It was left unchanged.\n");
}

struct ResetValues {
  bool config = true;
  bool ui = false;
  bool mapkeys = false;
};

ResetValues ReadResetValues(const LaunchState& state) {
  const auto read = [&](const char* key, bool fallback) {
    return ReadYesNo(state.projectFile, state.masterFile, key, fallback);
  };
  ResetValues values;
  values.config = read("CP_Reset_Config", true);
  values.ui = read("CP_Reset_UI", false);
  values.mapkeys = read("CP_Reset_Mapkeys", false);
  return values;
}

std::string MasterConfigOf(const std::string& masterSettings, PathStyle style) {
  for (const char* name : {"Vantor_Config.pro", "Vantor_config.pro", "config.pro"}) {
    const std::string candidate = JoinPath(masterSettings, name, style);
    if (PathExists(candidate)) return candidate;
  }
  return {};
}

void EnforceConfiguration(Context& context, const std::string& masterSettings,
                          const std::string& homeFolder, bool reset) {
  const PathStyle style = context.Style();
  const std::string userConfig = JoinPath(homeFolder, "config.pro", style);
  const std::string masterConfig = MasterConfigOf(masterSettings, style);
  if (!masterConfig.empty()) {
    EnforceManagedFile(context, masterConfig, userConfig, reset, "config.pro", Backup::Yes);
    return;
  }
  if (!PathExists(userConfig)) return;
  Console& console = context.console;
  console.Write("\n      ");
  Print(console, color::kYellow, "[!] No Master Configuration found.\n");
  console.Write("      ");
  Print(console, color::kDarkGrey, "[*] Sweeping unmanaged local config to enforce baseline...\n");
  console.SetColor(color::kGrey);
  if (const std::string reason = MoveToSweepBin(context, userConfig, "config.pro"); !reason.empty())
    PrintNotSwept(console, "config.pro", reason);
}

// HOME from USERPROFILE; empty when that cannot be read.
std::string SetHome(Context& context) {
  const auto profile = context.system.GetEnv("USERPROFILE");
  if (profile && !profile->empty()) {
    context.system.SetEnv("HOME", *profile);
    return *profile;
  }
  context.console.Write("      ");
  Print(context.console, color::kYellow, "[WARNING] ");
  Print(context.console, color::kGrey, "Could not resolve USERPROFILE.\n");
  return {};
}

}  // namespace

bool SameFileContent(const std::string& a, const std::string& b) {
  std::error_code ea, eb;
  const auto sizeA = fs::file_size(ToFsPath(a), ea);
  const auto sizeB = fs::file_size(ToFsPath(b), eb);
  if (ea || eb || sizeA != sizeB) return false;
  const auto bytesA = ReadFileBytes(a);
  const auto bytesB = ReadFileBytes(b);
  return bytesA && bytesB && *bytesA == *bytesB;
}

std::string MoveToSweepBin(Context& context, const std::string& file,
                           const std::string& displayName) {
  const PathStyle style = context.Style();
  const std::string folder = FolderOf(file, style);
  // A folder the log cannot hold faithfully could never be restored from it.
  if (!IsLoggableName(folder)) return "its folder cannot be named in the history log";
  const std::string binCopy =
      BinCopyPath(BinFolderOf(context.anchorFolder, style), folder, displayName, style);
  if (binCopy.empty()) return "its folder has no place in the bin";
  if (const auto error = CreateFoldersOrReason(ParentFolder(binCopy))) return ReasonText(error);
  std::error_code ec;
  const auto bytes = fs::file_size(ToFsPath(file), ec);
  if (ec) return ReasonText(ec);
  // The line goes first, as a journal would: a line whose move then fails
  // names a copy that is not there, which the restore window skips, while
  // a move without its line could never be offered back.
  const std::string line = FileLine(HistoryTimeNow(), displayName, folder,
                                    SizeText(bytes, UserDecimalSeparator()), SweptKind::Clutter);
  if (const auto error = PrependHistoryLine(HistoryLogOf(context.anchorFolder, style), line))
    return "history log: " + ReasonText(error);
  return MoveFileSafely(file, binCopy, UnpredictableName()).reason;
}

void EnforceManagedFile(Context& context, const std::string& masterFile,
                        const std::string& userFile, bool reset, const std::string& displayName,
                        Backup backup) {
  if (!PathExists(masterFile)) return;
  if (!PathExists(userFile)) {
    CopyOver(masterFile, userFile);
    return;
  }
  if (!reset || SameFileContent(userFile, masterFile)) return;
  if (backup == Backup::Yes) {
    // Without its backup in the bin the user's file would be lost: keep it.
    if (const std::string reason = MoveToSweepBin(context, userFile, displayName);
        !reason.empty()) {
      PrintNotSwept(context.console, displayName, reason);
      return;
    }
    PrintSwept(context.console, displayName);
  }
  CopyOver(masterFile, userFile);
}

void ApplyUserEnvironment(Context& context, const LaunchState& state) {
  const PathStyle style = context.Style();
  const std::string homeFolder = SetHome(context);
  context.system.SetEnv("WorkPath", state.anchorFolder);
  const std::string userEnv = PathExists(state.projectFile)
                                  ? JoinPath(state.targetFolder, kProjectUserEnvName, style)
                                  : JoinPath(state.anchorFolder, "Vantor_UserEnv", style);
  CreateFolders(userEnv);
  context.system.SetEnv("PTC_WF_ROOT", userEnv);
  const std::string settings = JoinPath(userEnv, ".Settings", style);
  CreateFolders(settings);

  const ResetValues reset = ReadResetValues(state);
  const std::string masterSettings =
      JoinPath(JoinPath(state.anchorFolder, "Vantor_Home", style), "Settings", style);
  EnforceManagedFile(context, JoinPath(masterSettings, "Vantor_customization.ui", style),
                     JoinPath(settings, "creo_parametric_customization.ui", style), reset.ui,
                     "creo_parametric_customization.ui", Backup::No);
  EnforceManagedFile(context, JoinPath(masterSettings, "Vantor_mapkeys.pro", style),
                     JoinPath(settings, "mapkeys.pro", style), reset.mapkeys, "mapkeys.pro",
                     Backup::Yes);
  // Without a home folder there is no user config.pro to look after.
  if (!homeFolder.empty()) EnforceConfiguration(context, masterSettings, homeFolder, reset.config);
}

}  // namespace vantor
