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

}  // namespace vantor
