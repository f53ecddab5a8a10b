// The shell folders, the machine registry and shell links on Windows.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

bool Win32IsAdministrator();
std::string Win32DesktopFolder();
std::string Win32ProgramsFolder();
bool Win32SetRegistryString(const std::string& key, const std::string& valueName,
                            const std::string& data);
bool Win32DeleteRegistryTree(const std::string& key);
bool Win32CreateShellLink(const ShellLink& link);

}  // namespace vantor
