// Linux stand-ins for the shell folders, the machine registry and shell
// links, so that Setup and Uninstall run end to end in tests.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// $HOME/Desktop and $HOME/.local/share/applications; nothing is created.
std::string PosixDesktopFolder();
std::string PosixProgramsFolder();

// The registry is the text file $HOME/.vantor-registry: one line per value,
// key TAB name TAB data, replaced whole on every change.
std::string PosixRegistryFile();
std::error_code PosixSetRegistryString(const std::string& key, const std::string& valueName,
                                       const std::string& data);
std::error_code PosixDeleteRegistryTree(const std::string& key);
// Reading it back: sub-keys in the order the file first names them.
std::vector<std::string> PosixRegistrySubKeys(const std::string& key);
std::optional<std::string> PosixReadRegistryString(const std::string& key,
                                                   const std::string& valueName);

// A shell link is a small text file at the link path, one name=value line
// per property.
std::error_code PosixCreateShellLink(const ShellLink& link);

}  // namespace vantor
