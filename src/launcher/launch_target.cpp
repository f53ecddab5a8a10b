#include "launcher/launch_target.h"

#include <regex>

#include "shell/target_folder.h"

namespace vantor {

std::string ModelNameOf(const std::string& fileName) {
  static const std::regex kIteration("\\.\\d+$");
  return std::regex_replace(fileName, kIteration, "");
}

LaunchTarget ResolveLaunchTarget(const std::string& argument, const std::string& currentDirectory,
                                 PathStyle style) {
  const TargetFolder target = ResolveTargetFolder(argument, currentDirectory, style);
  return {target.folder, target.fileName.empty() ? std::string() : ModelNameOf(target.fileName)};
}

}  // namespace vantor
