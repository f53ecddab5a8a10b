// The add-on installer: unpacks a zip package into Vantor_Home and merges
// its Integration files into the master configuration and mapkeys.
// InstallAddOn itself is declared in setup.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

enum class IntegrationRole { Ignored, Configuration, Mapkeys };

// What an Integration file is for, by its name: only ".pro" (exactly) counts;
// "config" in the name wins over "mapkey".
IntegrationRole IntegrationRoleOf(std::string_view fileName);

// The typed or dropped line without the quotes Explorer puts around a path
// with spaces.
std::string CleanDroppedPath(std::string_view line);
// An existing entry whose path names a ".zip" somewhere.
bool IsAddOnPackagePath(const std::string& path);

// Lines as a text-mode reader sees them: split at LF, the CR before it
// dropped, no empty last line for a final line end.
std::vector<std::string> SplitTextLines(std::string_view text);

// The add-on's option lines merged into the master's: comments and empty
// lines are appended, an option replaces the first master option with the
// same lower-case key or is appended, a line without a value is skipped.
std::vector<std::string> MergeOptionLines(std::vector<std::string> master,
                                          const std::vector<std::string>& addOn);

// The marker block and the add-on file's content, CR LF line ends.
std::string MapkeyBlock(std::string_view fileName, std::string_view content);

}  // namespace vantor
