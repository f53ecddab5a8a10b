#include "install/addon_installer.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "base/paths.h"
#include "base/text.h"
#include "install/option_merge.h"
#include "install/package_placement.h"
#include "install/package_staging.h"
#include "install/setup.h"
#include "maintenance/size_text.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/countdown.h"

namespace vantor {
namespace {

constexpr int kCountdownSeconds = 10;

struct AddOnPaths {
  std::string home, settings, masterConfig, masterMapkeys, backup, integration;
};

AddOnPaths AddOnPathsOf(const std::string& anchor, PathStyle style) {
  AddOnPaths paths;
  paths.home = JoinPath(anchor, "Vantor_Home", style);
  paths.settings = JoinPath(paths.home, "Settings", style);
  paths.masterConfig = JoinPath(paths.settings, "Vantor_config.pro", style);
  paths.masterMapkeys = JoinPath(paths.settings, "Vantor_mapkeys.pro", style);
  paths.backup = JoinPath(paths.settings, "Vantor_config.pro.bak", style);
  paths.integration = JoinPath(paths.home, "Integration", style);
  return paths;
}

// A link is never read through: it may point at any file of the machine.
SystemResult<std::string> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(ToFsPath(path), ec);
  if (ec) return ec;
  if (std::filesystem::is_directory(status)) return std::make_error_code(std::errc::is_a_directory);
  if (!std::filesystem::is_regular_file(status))
    return std::make_error_code(std::errc::operation_not_permitted);
  return ReadFileBytes(path);
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(ToFsPath(path), ec);
  return !ec;
}

void PrintLine(Console& console, std::string_view lead, int attribute, std::string_view text) {
  console.Write(lead);
  Print(console, attribute, text);
  console.SetColor(color::kGrey);
}

// A master that cannot be read is an error: it must not be rewritten from an
// empty list. An add-on file that cannot be read contributes nothing.
std::error_code MergeConfigurationFile(Console& console, const AddOnPaths& paths,
                                       const std::filesystem::path& file) {
  console.Write("  ");
  Print(console, color::kCyan, "[+] Merging Configuration: ");
  Print(console, color::kGrey, FromFsPath(file.filename()) + "\n");
  std::string master;
  // Looked for again before every file, so a second configuration file of a
  // package merges into the file the first one created instead of replacing it.
  if (PathExists(paths.masterConfig)) {
    const auto text = ReadWholeFile(paths.masterConfig);
    if (!text) return text.error();
    master = *text;
  } else {
    PrintLine(console, "      ", color::kDarkGrey,
              "[-] Master Config not found. Creating new file.\n");
  }
  const auto addOn = ReadWholeFile(FromFsPath(file));
  if (!addOn) return {};
  return ReplaceFileAtomically(paths.masterConfig, MergeOptionBytes(master, *addOn));
}

std::error_code AppendMapkeyFile(Console& console, const AddOnPaths& paths,
                                 const std::filesystem::path& file) {
  const std::string name = FromFsPath(file.filename());
  console.Write("  ");
  Print(console, color::kCyan, "[+] Appending Mapkeys:     ");
  Print(console, color::kGrey, name + "\n");
  std::string master;
  if (PathExists(paths.masterMapkeys)) {
    const auto text = ReadWholeFile(paths.masterMapkeys);
    if (!text) return text.error();
    master = *text;
  } else {
    PrintLine(console, "      ", color::kDarkGrey,
              "[-] Master Mapkeys not found. Creating new file.\n");
  }
  const auto addOn = ReadWholeFile(FromFsPath(file));
  if (!addOn) return {};
  return ReplaceFileAtomically(paths.masterMapkeys, MergeMapkeyBytes(master, name, *addOn));
}

// The ".pro" files directly in the integration folder, by name so that
// every run merges them in the same order.
SystemResult<std::vector<std::filesystem::path>> IntegrationFiles(const std::string& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  std::filesystem::directory_iterator it(ToFsPath(folder), ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path());
  }
  if (ec) return ec;
  std::sort(files.begin(), files.end());
  return files;
}

// Empty when every integration file was merged, else the first reason.
std::error_code IntegrateFiles(Console& console, const AddOnPaths& paths) {
  const auto files = IntegrationFiles(paths.integration);
  if (!files) return files.error();
  for (const auto& file : *files) {
    std::error_code error;
    switch (IntegrationRoleOf(FromFsPath(file.filename()))) {
      case IntegrationRole::Configuration:
        error = MergeConfigurationFile(console, paths, file);
        break;
      case IntegrationRole::Mapkeys:
        error = AppendMapkeyFile(console, paths, file);
        break;
      case IntegrationRole::Ignored:
        break;
    }
    if (error) return error;
  }
  return {};
}

// True when a backup of the master configuration was made by this run,
// false when there is no master to back up; a backup left by an earlier run
// is never restored over newer settings. The backup replaces whatever stood
// at its name (a link is not written through). A master that exists but
// could not be copied is an error: nothing may be merged without a way back.
SystemResult<bool> BackUpMasterConfig(const AddOnPaths& paths) {
  if (!PathExists(paths.masterConfig)) return false;
  const auto content = ReadWholeFile(paths.masterConfig);
  if (!content) return content.error();
  if (const std::error_code error = ReplaceFileAtomically(paths.backup, *content)) return error;
  return true;
}

// " (reason)" when the system gave one.
std::string Because(const std::string& reason) {
  return reason.empty() ? std::string() : " (" + reason + ")";
}

// The backup goes only once the master holds its content again; otherwise
// it is the user's copy of their settings and stays where it is.
void RestoreMasterConfig(Console& console, const AddOnPaths& paths) {
  const auto saved = ReadWholeFile(paths.backup);
  const std::error_code error =
      saved ? ReplaceFileAtomically(paths.masterConfig, *saved) : saved.error();
  if (!error) {
    RemoveFile(paths.backup);
    return;
  }
  PrintLine(console, "  ", color::kRed,
            "[!] Could not restore " + paths.masterConfig + Because(ReasonText(error)) +
                ". Its backup stays at " + paths.backup + ".\n");
}

void RollBack(Console& console, const AddOnPaths& paths, bool masterExisted, bool backedUp,
              const std::error_code& error) {
  PrintLine(
      console, "\n  ", color::kRed,
      "[!] Merge encountered an error (" + ReasonText(error) + "). Rolling back changes...\n");
  if (!masterExisted) {
    RemoveFile(paths.masterConfig);
    return;
  }
  if (backedUp) RestoreMasterConfig(console, paths);
}

std::string StageFailureText(const StagedPackage& staged) {
  switch (staged.outcome) {
    case StageOutcome::TarMissing:
      return "[!] Extraction failed: tar could not be started" + Because(staged.reason) +
             ". Aborting.\n";
    case StageOutcome::OutsideFolder:
      return "[!] Package refused: entry '" + staged.entry +
             "' points outside its folder. Nothing was installed.\n";
    case StageOutcome::LinkOrDevice:
      return "[!] Package refused: entry '" + staged.entry +
             "' is a link or a special file. Nothing was installed.\n";
    case StageOutcome::TooLarge:
      return "[!] Package refused: it would expand past " + FormatSize(staged.limit) +
             ". Nothing was installed.\n";
    case StageOutcome::NoStagingFolder:
      return "[!] Could not create a staging folder in Vantor_Home" + Because(staged.reason) +
             ". Aborting.\n";
    case StageOutcome::Corrupt:
    case StageOutcome::Staged:
      break;
  }
  return "[!] Extraction failed (Corrupt ZIP?). Aborting.\n";
}

std::string PlacementFailureText(const Placement& placement) {
  switch (placement.outcome) {
    case PlaceOutcome::LinkInHome:
      return "[!] Install stopped: " + placement.path +
             " is a link or a special file. Nothing was installed.\n";
    case PlaceOutcome::FolderInTheWay:
      return "[!] Install stopped: a folder stands where the package has the file " +
             placement.path + ". Nothing was installed.\n";
    case PlaceOutcome::NotBinned:
      return "[!] Install stopped: " + placement.path + " could not be moved into the sweep bin" +
             Because(placement.reason) + ". Aborting.\n";
    case PlaceOutcome::MoveFailed:
    case PlaceOutcome::Placed:
      break;
  }
  return "[!] Install stopped: " + placement.path + " could not be written" +
         Because(placement.reason) + ". Aborting.\n";
}

// Vantor_Home and its Settings folder are written below: as links they
// would lead the writes anywhere.
std::string LinkedHomeFolder(const AddOnPaths& paths) {
  for (const std::string* folder : {&paths.home, &paths.settings})
    if (IsLink(*folder)) return *folder;
  return {};
}

}  // namespace

IntegrationRole IntegrationRoleOf(std::string_view fileName) {
  if (!EndsWith(fileName, ".pro")) return IntegrationRole::Ignored;
  const std::string lower = ToLowerAscii(fileName);
  if (lower.find("config") != std::string::npos) return IntegrationRole::Configuration;
  if (lower.find("mapkey") != std::string::npos) return IntegrationRole::Mapkeys;
  return IntegrationRole::Ignored;
}

std::string CleanDroppedPath(std::string_view line) {
  std::string path;
  for (const char c : line)
    if (c != '"') path += c;
  return Trim(path);
}

bool IsAddOnPackagePath(const std::string& path) {
  return path.size() >= 4 && path.find(".zip") != std::string::npos && PathExists(path);
}

void InstallAddOn(Context& context) {
  Console& console = context.console;
  console.Clear();
  PrintHeaderBox(console, {"Vantor Extension Installer", "", std::nullopt}, context.Style());
  console.SetColor(color::kGrey);
  console.Write("  Drag and drop the Vantor Add-on package (.zip) here:\n\n  Path: ");
  const auto line = context.system.ReadLine();
  if (!line || Trim(*line).empty()) return;

  const std::string archive = CleanDroppedPath(*line);
  if (!IsAddOnPackagePath(archive)) {
    PrintLine(console, "\n  ", color::kRed, "[!] Invalid file or path not found. Aborting.\n");
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  AddOnPaths paths = AddOnPathsOf(context.anchorFolder, context.Style());
  if (const std::string linked = LinkedHomeFolder(paths); !linked.empty()) {
    PrintLine(console, "\n  ", color::kRed,
              PlacementFailureText({PlaceOutcome::LinkInHome, linked}));
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  if (!IsDirectory(paths.settings)) {
    CreateFolders(paths.settings);
    PrintLine(console, "  ", color::kDarkGrey, "[*] Initializing Vantor_Home foundation...\n");
  }
  const SystemResult<bool> backup = BackUpMasterConfig(paths);
  if (!backup) {
    PrintLine(console, "\n  ", color::kRed,
              "[!] Install stopped: " + paths.masterConfig + " could not be backed up" +
                  Because(ReasonText(backup.error())) + ". Aborting.\n");
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  const bool backedUp = *backup;

  PrintLine(console, "\n  ", color::kDarkGrey, "[*] Extracting Payload...\n");
  const StagedPackage staged = StagePackage(context, archive, paths.home);
  if (staged.outcome != StageOutcome::Staged) {
    PrintLine(console, "  ", color::kRed, StageFailureText(staged));
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  // The package's own Integration folder is merged from the staging folder;
  // whatever else lies in Vantor_Home\Integration is not the package's.
  paths.integration = StagedTopFolder(staged.folder, "Integration", context.Style());
  const Placement placed =
      PlaceStagedPackage(context, staged.folder, paths.home, paths.integration);
  if (placed.outcome != PlaceOutcome::Placed) {
    DiscardStaging(staged.folder);
    PrintLine(console, "  ", color::kRed, PlacementFailureText(placed));
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  if (paths.integration.empty()) {
    DiscardStaging(staged.folder);
    PrintLine(console, "  ", color::kGreen,
              "[+] Package extracted. (No dynamic integration files found).\n");
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }

  const bool masterExisted = PathExists(paths.masterConfig);
  const std::error_code integrationError = IntegrateFiles(console, paths);
  DiscardStaging(staged.folder);
  if (integrationError) {
    RollBack(console, paths, masterExisted, backedUp, integrationError);
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  if (backedUp) RemoveFile(paths.backup);
  PrintLine(console, "\n  ", color::kGreen, "[+] Add-on Successfully Integrated.\n");
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
