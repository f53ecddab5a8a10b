#include "shell/target_folder.h"

#include <filesystem>

#include "base/paths.h"

namespace vantor {

TargetFolder ResolveTargetFolder(const std::string& argument, const std::string& currentDirectory,
                                 PathStyle style) {
  if (argument.empty()) return {currentDirectory, {}};
  std::error_code ec;
  const auto status = std::filesystem::status(ToFsPath(argument), ec);
  if (ec || !std::filesystem::exists(status)) return {currentDirectory, {}};
  if (std::filesystem::is_directory(status)) return {argument, {}};
  // A bare file name has no folder text of its own: it lies in the current one.
  std::string folder = FolderOf(argument, style);
  if (folder.empty()) folder = currentDirectory;
  return {folder, LastComponent(argument)};
}

}  // namespace vantor
