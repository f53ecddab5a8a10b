// The folder Creo starts in and the model it loads, from the /L argument.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

struct LaunchTarget {
  std::string folder;
  std::string model;  // empty when a folder was given
};

// "bracket.prt.7" gives "bracket.prt": a trailing "." and digits are cut.
std::string ModelNameOf(const std::string& fileName);

// The target folder (ResolveTargetFolder) and, for a file, its model name.
LaunchTarget ResolveLaunchTarget(const std::string& argument, const std::string& currentDirectory,
                                 PathStyle style);

}  // namespace vantor
