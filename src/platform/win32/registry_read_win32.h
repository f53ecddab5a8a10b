// Reading the machine registry on Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantor {

std::vector<std::string> Win32RegistrySubKeys(const std::string& key);
std::optional<std::string> Win32ReadRegistryString(const std::string& key,
                                                   const std::string& valueName);

}  // namespace vantor
