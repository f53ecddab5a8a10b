#include "base/paths.h"
#include "base/shared_constants.h"
#include "base/text.h"
#include "shell/entry.h"
#include "shell/target_folder.h"

namespace vantor {
namespace {

// A marker written with "\" in the rules, in the separator of `style`.
std::string InStyle(std::string marker, PathStyle style) {
  for (char& c : marker)
    if (c == '\\') c = Separator(style);
  return marker;
}

std::string WithTrailingSeparator(std::string path, PathStyle style) {
  if (path.empty() || path.back() != Separator(style)) path += Separator(style);
  return path;
}

}  // namespace

std::string AnchorFolderOf(const std::string& modulePath) { return ParentFolder(modulePath); }

std::string FoundationFolderOf(const std::string& anchorFolder) {
  return ParentFolder(anchorFolder);
}

bool IsRunningFromArchive(const std::string& modulePath, const std::string& tempFolder,
                          PathStyle style) {
  const std::string path = ToLowerAscii(modulePath);
  const std::string temp = ToLowerAscii(tempFolder);
  const bool inTemp = path.find(InStyle("\\appdata\\local\\temp\\", style)) != std::string::npos ||
                      StartsWith(path, temp);
  if (!inTemp) return false;
  for (const char* marker : {".zip", "\\temp\\temp", "\\7z", "\\rar"})
    if (path.find(InStyle(marker, style)) != std::string::npos) return true;
  return false;
}

bool IsInfrastructureTarget(const std::string& target, const std::string& anchorFolder,
                            PathStyle style) {
  const std::string folder = WithTrailingSeparator(ToLowerAscii(target), style);
  const std::string anchor = WithTrailingSeparator(ToLowerAscii(anchorFolder), style);
  return StartsWith(folder, anchor) ||
         folder.find(ToLowerAscii(kBinFolderName)) != std::string::npos ||
         folder.find("vantorsp_userenv") != std::string::npos;
}

std::optional<std::string> RefusedTarget(const std::string& argument,
                                         const std::string& currentDirectory,
                                         const std::string& anchorFolder, PathStyle style) {
  const std::string folder = ResolveTargetFolder(argument, currentDirectory, style).folder;
  std::vector<std::string> targets{argument.empty() ? currentDirectory : argument, folder};
  std::vector<std::string> anchors{anchorFolder};
  // A link or junction reaches the same folders under another name.
  if (const auto real = RealPath(folder)) targets.push_back(*real);
  if (const auto real = RealPath(anchorFolder)) anchors.push_back(*real);
  for (const auto& target : targets)
    for (const auto& anchor : anchors)
      if (IsInfrastructureTarget(target, anchor, style)) return target;
  return std::nullopt;
}

}  // namespace vantor
