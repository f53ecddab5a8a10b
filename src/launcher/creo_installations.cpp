#include "launcher/creo_installations.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr const char* kDefaultPtcRoot = "C:\\Program Files\\PTC";

bool IsInstallationFolderName(std::string_view name) {
  const std::string upper = ToUpperAscii(name);
  return StartsWith(upper, "CREO ") || StartsWith(upper, "PROE ");
}

// The folder above the first "Creo "/"PROE " folder at or above `location`.
std::string RootAbove(const std::string& location, PathStyle style) {
  if (!IsDirectory(location)) return {};
  std::string folder = StripTrailingSeparators(location);
  while (!folder.empty()) {
    if (IsInstallationFolderName(LastComponent(folder))) return FolderOf(folder, style);
    std::string parent = ParentFolder(folder);
    if (parent == folder) break;
    folder = std::move(parent);
  }
  return {};
}

bool Contains(const std::vector<std::string>& roots, const std::string& root) {
  const std::string lower = ToLowerAscii(root);
  return std::any_of(roots.begin(), roots.end(),
                     [&](const std::string& known) { return ToLowerAscii(known) == lower; });
}

std::string DefaultRoot(System& system) {
  const auto programFiles = system.GetEnv("ProgramFiles");
  if (programFiles && !programFiles->empty()) return JoinPath(*programFiles, "PTC", system.Style());
  return kDefaultPtcRoot;
}

// "Creo 10.0.2.0" gives 10: every "Creo " removed (in any case), the
// number before the first ".".
std::optional<std::int64_t> MajorVersionOf(const std::string& name) {
  std::string rest = name;
  for (std::size_t at; (at = ToLowerAscii(rest).find("creo ")) != std::string::npos;)
    rest.erase(at, 5);
  return ParseWholeNumber(Trim(rest.substr(0, rest.find('.'))));
}

}  // namespace

std::vector<std::string> FindPtcRoots(System& system) {
  std::vector<std::string> roots;
  for (const auto& subKey : system.RegistrySubKeys(kCreoRegistryKey)) {
    const auto location =
        system.ReadRegistryString(std::string(kCreoRegistryKey) + "\\" + subKey, "InstallLocation");
    if (!location || location->empty()) continue;
    const std::string root = RootAbove(*location, system.Style());
    if (!root.empty() && !Contains(roots, root)) roots.push_back(root);
  }
  if (roots.empty()) {
    const std::string fallback = DefaultRoot(system);
    if (IsDirectory(fallback)) roots.push_back(fallback);
  }
  return roots;
}

CreoInstallations ScanCreoInstallations(const std::vector<std::string>& roots, PathStyle style) {
  std::vector<int> versions;
  for (const auto& root : roots) {
    const auto entries = ListFolder(root);
    if (!entries) continue;
    for (const auto& entry : *entries) {
      if (entry.kind == EntryKind::File || !StartsWith(ToUpperAscii(entry.name), "CREO ")) continue;
      const std::string folder = JoinPath(root, entry.name, style);
      if (!PathExists(JoinPath(JoinPath(JoinPath(folder, "Parametric", style), "bin", style),
                               "parametric.exe", style)))
        continue;
      const auto major = MajorVersionOf(entry.name);
      if (!major) continue;
      if (std::find(versions.begin(), versions.end(), *major) == versions.end())
        versions.push_back(static_cast<int>(*major));
    }
  }
  CreoInstallations found;
  if (versions.empty()) return found;
  std::sort(versions.begin(), versions.end());
  found.latest = versions.back();
  versions.pop_back();
  found.others = versions;
  return found;
}

std::string RootsText(const std::vector<std::string>& roots) {
  std::string text;
  for (const auto& root : roots) text += (text.empty() ? "" : "*") + root;
  return text.empty() ? "NONE" : text;
}

std::string OtherVersionsText(const CreoInstallations& installations) {
  std::string text;
  for (const int version : installations.others)
    text += (text.empty() ? "" : ",") + std::to_string(version);
  return text.empty() ? "NONE" : text;
}

}  // namespace vantor
