// The console lines Setup and Uninstall share: info, success, warning
// lines and their header box.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace vantor {

// "  ", "[INFO] " in colour 11, `text` in colour 7.
void PrintInfoLine(Console& console, std::string_view text);
// Six spaces, `text` in `attribute`, then colour 7.
void PrintIndented(Console& console, int attribute, std::string_view text);
// An empty line, the double-line box with `title` in `titleColor`, an
// empty line; leaves colour 7 set.
void PrintInstallBox(Console& console, std::string_view title, int titleColor);

}  // namespace vantor
