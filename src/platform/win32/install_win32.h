// The shell folders, the machine registry and shell links on Windows.
#pragma once

#include <string>
#include <system_error>

#include "platform/platform.h"

namespace vantor {

bool Win32IsAdministrator();
std::string Win32DesktopFolder();
std::string Win32ProgramsFolder();
std::error_code Win32SetRegistryString(const std::string& key, const std::string& valueName,
                                       const std::string& data);
std::error_code Win32DeleteRegistryTree(const std::string& key);
std::error_code Win32CreateShellLink(const ShellLink& link);

}  // namespace vantor
