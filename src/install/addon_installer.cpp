#include "install/addon_installer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "install/option_merge.h"
#include "install/setup.h"
#include "shell/console_text.h"
#include "shell/countdown.h"
#include "shell/paths.h"
#include "shell/text.h"

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

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ToFsPath(path), ec)) return std::nullopt;
  std::ifstream in(ToFsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
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
bool MergeConfigurationFile(Console& console, const AddOnPaths& paths,
                            const std::filesystem::path& file) {
  console.Write("  ");
  Print(console, color::kCyan, "[+] Merging Configuration: ");
  Print(console, color::kGrey, FromFsPath(file.filename()) + "\n");
  std::string master;
  // Looked for again before every file, so a second configuration file of a
  // package merges into the file the first one created instead of replacing it.
  if (PathExists(paths.masterConfig)) {
    const auto text = ReadWholeFile(paths.masterConfig);
    if (!text) return false;
    master = *text;
  } else {
    PrintLine(console, "      ", color::kDarkGrey,
              "[-] Master Config not found. Creating new file.\n");
  }
  const auto addOn = ReadWholeFile(FromFsPath(file));
  if (!addOn) return true;
  return ReplaceFileAtomically(paths.masterConfig, MergeOptionBytes(master, *addOn));
}

bool AppendMapkeyFile(Console& console, const AddOnPaths& paths,
                      const std::filesystem::path& file) {
  const std::string name = FromFsPath(file.filename());
  console.Write("  ");
  Print(console, color::kCyan, "[+] Appending Mapkeys:     ");
  Print(console, color::kGrey, name + "\n");
  std::string master;
  if (PathExists(paths.masterMapkeys)) {
    const auto text = ReadWholeFile(paths.masterMapkeys);
    if (!text) return false;
    master = *text;
  } else {
    PrintLine(console, "      ", color::kDarkGrey,
              "[-] Master Mapkeys not found. Creating new file.\n");
  }
  const auto addOn = ReadWholeFile(FromFsPath(file));
  if (!addOn) return true;
  return ReplaceFileAtomically(paths.masterMapkeys, MergeMapkeyBytes(master, name, *addOn));
}

// The ".pro" files directly in the integration folder, by name so that
// every run merges them in the same order.
std::optional<std::vector<std::filesystem::path>> IntegrationFiles(const std::string& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  std::filesystem::directory_iterator it(ToFsPath(folder), ec);
  if (ec) return std::nullopt;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) return std::nullopt;
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path());
  }
  if (ec) return std::nullopt;
  std::sort(files.begin(), files.end());
  return files;
}

bool IntegrateFiles(Console& console, const AddOnPaths& paths) {
  const auto files = IntegrationFiles(paths.integration);
  if (!files) return false;
  for (const auto& file : *files) {
    const IntegrationRole role = IntegrationRoleOf(FromFsPath(file.filename()));
    if (role == IntegrationRole::Configuration && !MergeConfigurationFile(console, paths, file))
      return false;
    if (role == IntegrationRole::Mapkeys && !AppendMapkeyFile(console, paths, file)) return false;
  }
  return true;
}

// True when a backup of the master configuration was made by this run; a
// backup left by an earlier run is never restored over newer settings.
bool BackUpMasterConfig(const AddOnPaths& paths) {
  if (!PathExists(paths.masterConfig)) return false;
  std::error_code ec;
  std::filesystem::copy_file(ToFsPath(paths.masterConfig), ToFsPath(paths.backup),
                             std::filesystem::copy_options::overwrite_existing, ec);
  return !ec;
}

void RollBack(Console& console, const AddOnPaths& paths, bool masterExisted, bool backedUp) {
  PrintLine(console, "\n  ", color::kRed,
            "[!] Merge encountered an error. Rolling back changes...\n");
  if (!masterExisted) {
    RemoveFile(paths.masterConfig);
    return;
  }
  if (!backedUp) return;
  const auto saved = ReadWholeFile(paths.backup);
  // The backup goes only once the master holds its content again.
  if (saved && ReplaceFileAtomically(paths.masterConfig, *saved)) RemoveFile(paths.backup);
}

bool ExtractPackage(Context& context, const std::string& archive, const std::string& home) {
  const ProgramCall call = ExtractArchiveCommand(archive, home);
  const auto finished = context.system.RunProgram(call.program, call.arguments);
  if (!finished) return false;
  if (!finished->output.empty()) context.console.Write(finished->output);
  return finished->exitCode == 0;
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
  const AddOnPaths paths = AddOnPathsOf(context.anchorFolder, context.Style());
  if (!IsDirectory(paths.settings)) {
    CreateFolders(paths.settings);
    PrintLine(console, "  ", color::kDarkGrey, "[*] Initializing Vantor_Home foundation...\n");
  }
  const bool backedUp = BackUpMasterConfig(paths);

  PrintLine(console, "\n  ", color::kDarkGrey, "[*] Extracting Payload...\n");
  if (!ExtractPackage(context, archive, paths.home)) {
    PrintLine(console, "  ", color::kRed, "[!] Extraction failed (Corrupt ZIP?). Aborting.\n");
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  if (!IsDirectory(paths.integration)) {
    PrintLine(console, "  ", color::kGreen,
              "[+] Package extracted. (No dynamic integration files found).\n");
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }

  const bool masterExisted = PathExists(paths.masterConfig);
  if (!IntegrateFiles(console, paths)) {
    RollBack(console, paths, masterExisted, backedUp);
    RunClosingCountdown(context, kCountdownSeconds);
    return;
  }
  std::error_code ec;
  std::filesystem::remove_all(ToFsPath(paths.integration), ec);
  if (backedUp) RemoveFile(paths.backup);
  PrintLine(console, "\n  ", color::kGreen, "[+] Add-on Successfully Integrated.\n");
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
