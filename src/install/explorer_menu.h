// The Explorer right-click menus: "Vantor Launcher" on folders, folder
// backgrounds and files, "Vantor Cleaner" on folders and folder backgrounds.
// They live under HKEY_LOCAL_MACHINE.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

struct RegistryValue {
  std::string key;
  std::string name;  // "" for the key's default value
  std::string data;
  bool operator==(const RegistryValue&) const = default;
};

// The five key trees of the menus, in the order they are removed.
const std::vector<std::string>& ExplorerMenuKeys();
// The fifteen values that make the menus call `exe` with /L or /C.
std::vector<RegistryValue> ExplorerMenuValues(const std::string& exe);

// How many registry calls failed, and the system's reason for the first.
struct RegistryFailures {
  int count = 0;
  std::error_code first;
};

// Removes the five key trees; a missing key counts as removed.
RegistryFailures RemoveExplorerMenus(System& system);
// Writes the fifteen values, each key created when missing.
RegistryFailures WriteExplorerMenus(System& system, const std::string& exe);

}  // namespace vantor
