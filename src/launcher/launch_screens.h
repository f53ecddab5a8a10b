// What the launcher draws: its banner, and the box that names what starts.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

// "\n" and the header box with the target folder; leaves colour 8 set.
void PrintLauncherBanner(Console& console, const std::string& targetFolder, PathStyle style);

// The text of the launch box row, 58 characters wide: a long model name is
// cut and ends in "..." before " with ".
std::string LaunchBoxModelName(const std::string& model, const std::string& versionLabel);

// The launch box and the SHIFT hint under it.
void PrintLaunchBox(Console& console, const std::string& model, const std::string& versionLabel);

}  // namespace vantor
