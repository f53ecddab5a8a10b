#include "launcher/launch_target.h"

#include <filesystem>
#include <regex>

#include "shell/paths.h"

namespace vantor {

std::string ModelNameOf(const std::string& fileName) {
  static const std::regex kIteration("\\.\\d+$");
  return std::regex_replace(fileName, kIteration, "");
}

LaunchTarget ResolveLaunchTarget(const std::string& argument, const std::string& currentDirectory,
                                 PathStyle style) {
  if (argument.empty()) return {currentDirectory, {}};
  std::error_code ec;
  const auto status = std::filesystem::status(ToFsPath(argument), ec);
  if (ec || !std::filesystem::exists(status)) return {currentDirectory, {}};
  if (std::filesystem::is_directory(status)) return {argument, {}};
  // A bare file name has no folder text of its own: it lies in the current one.
  std::string folder = FolderOf(argument, style);
  if (folder.empty()) folder = currentDirectory;
  return {folder, ModelNameOf(LastComponent(argument))};
}

}  // namespace vantor
