#include "launcher/creo_discovery.h"

#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/script_host.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

std::string ExecutableBelow(const std::string& installation, PathStyle style) {
  return JoinPath(JoinPath(JoinPath(installation, "Parametric", style), "bin", style),
                  "parametric.exe", style);
}

struct VersionLimit {
  std::string value;
  bool fromProject = false;
};

VersionLimit ReadVersionLimit(const LaunchState& state) {
  VersionLimit limit;
  if (PathExists(state.projectFile)) limit.value = ReadSetting(state.projectFile, "CP_Version_Max");
  limit.fromProject = !limit.value.empty();
  if (!limit.fromProject && PathExists(state.masterFile))
    limit.value = ReadSetting(state.masterFile, "CP_Version_Max");
  return limit;
}

void PrintOverrideActive(Console& console, int version) {
  console.Write("\n      ");
  Print(console, color::kCyan, "[INFO] ");
  Print(console, color::kGrey, "Auto version override active. Max version set to ");
  Print(console, color::kCyan, "CP " + std::to_string(version) + ".\n");
  console.SetColor(color::kGrey);
}

void PrintVersionUnavailable(Console& console, int version, bool locked) {
  console.Write("\n  ");
  Print(console, color::kYellow, "[!] CP VERSION UNAVAILABLE: ");
  Print(console, color::kGrey, " CP " + std::to_string(version) + " was not found.\n");
  console.Write(std::string("      Check ") + (locked ? "VantorSP.ini" : "Vantor.ini") +
                " for typos or install the required software.\n\n");
}

void PrintNotInstalled(Console& console, const std::string& rootsText, PathStyle style) {
  const std::string sep(1, Separator(style));
  console.Write("\n  ");
  Print(console, color::kRed, "[!] CRITICAL ERROR: ");
  Print(console, color::kYellow, "CP is not installed.\n");
  Print(console, color::kDarkGrey, "      Scanned PTC Root: ");
  Print(console, color::kGrey, (rootsText.empty() ? "NOT FOUND" : rootsText) + "\n");
  Print(console, color::kDarkGrey, "      Search Pattern:   ");
  Print(console, color::kGrey,
        rootsText + sep + "Creo *" + sep + "Parametric" + sep + "bin" + sep + "parametric.exe\n");
}

}  // namespace

StepResult ChooseCreoVersion(Context& context, LaunchState& state) {
  const VersionLimit limit = ReadVersionLimit(state);
  state.lockedBySpecialProject = limit.fromProject;
  state.chosenVersion = state.probe.latestVersion;
  if (const auto wanted = limit.value.empty() ? std::nullopt : LeadingNumber(limit.value)) {
    if (FindCreoExecutable(state.probe.rootsText, *wanted, context.Style()).empty()) {
      PrintVersionUnavailable(context.console, *wanted, limit.fromProject);
      return StepResult::Ended;
    }
    state.chosenVersion = *wanted;
    if (!limit.fromProject) PrintOverrideActive(context.console, *wanted);
  }
  if (state.chosenVersion == 0) {
    PrintNotInstalled(context.console, state.probe.rootsText, context.Style());
    return StepResult::Ended;
  }
  return StepResult::Continue;
}

std::string FindCreoExecutable(const std::string& rootsText, int version, PathStyle style) {
  const std::string prefix = "Creo " + std::to_string(version);
  for (const auto& root : SplitFields(rootsText, '*')) {
    if (root.empty() || !IsDirectory(root)) continue;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(ToFsPath(root), ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::string name = FromFsPath(it->path().filename());
      if (!StartsWith(name, prefix)) continue;
      const std::string executable = ExecutableBelow(JoinPath(root, name, style), style);
      if (PathExists(executable)) return executable;
    }
  }
  return {};
}

std::string VersionLabelOf(const std::string& executable) {
  const std::string installation = ParentFolder(ParentFolder(ParentFolder(executable)));
  std::string name = LastComponent(installation);
  const auto at = name.find("Creo ");
  if (name.size() > 4 && at != std::string::npos) name.erase(at, 5);
  return name;
}

}  // namespace vantor
