// The folder a launch or a sweep works on, worked out once for the guard
// and for both jobs, so the guard judges the folder the job will use.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

struct TargetFolder {
  std::string folder;
  std::string fileName;  // the argument's last component when it names a file
};

// A folder is the target as given; a file gives its folder (a file at a
// drive root gives C:\, never the drive-relative C:) and its name; an empty
// argument, or one that names nothing, gives `currentDirectory`.
TargetFolder ResolveTargetFolder(const std::string& argument, const std::string& currentDirectory,
                                 PathStyle style);

}  // namespace vantor
