#include "install/explorer_menu.h"

namespace vantor {
namespace {

constexpr const char* kFolderLaunch = "Software\\Classes\\Directory\\shell\\Vantor_Launch";
constexpr const char* kBackgroundLaunch =
    "Software\\Classes\\Directory\\Background\\shell\\Vantor_Launch";
constexpr const char* kFileLaunch = "Software\\Classes\\*\\shell\\Vantor_Launch";
constexpr const char* kFolderClean = "Software\\Classes\\Directory\\shell\\Vantor_Clean";
constexpr const char* kBackgroundClean =
    "Software\\Classes\\Directory\\Background\\shell\\Vantor_Clean";

// One menu entry: its caption, icon and command, the three values of a key
// and its "command" subkey. Explorer puts the clicked item in for "%1" and
// the folder whose background was clicked for "%V".
void AddEntry(std::vector<RegistryValue>& values, const std::string& key,
              const std::string& caption, const std::string& exe, int icon, const std::string& flag,
              const std::string& item) {
  values.push_back({key, "", caption});
  values.push_back({key, "Icon", exe + "," + std::to_string(icon)});
  values.push_back({key + "\\command", "", "\"" + exe + "\" " + flag + " \"" + item + "\""});
}

}  // namespace

const std::vector<std::string>& ExplorerMenuKeys() {
  static const std::vector<std::string> keys{kFolderClean, kBackgroundClean, kFolderLaunch,
                                             kBackgroundLaunch, kFileLaunch};
  return keys;
}

std::vector<RegistryValue> ExplorerMenuValues(const std::string& exe) {
  std::vector<RegistryValue> values;
  AddEntry(values, kFolderLaunch, "Vantor Launcher", exe, 2, "/L", "%1");
  AddEntry(values, kBackgroundLaunch, "Vantor Launcher", exe, 2, "/L", "%V");
  AddEntry(values, kFileLaunch, "Vantor Launcher", exe, 2, "/L", "%1");
  AddEntry(values, kFolderClean, "Vantor Cleaner", exe, 1, "/C", "%1");
  AddEntry(values, kBackgroundClean, "Vantor Cleaner", exe, 1, "/C", "%V");
  return values;
}

namespace {
void Count(RegistryFailures& failures, const std::error_code& error) {
  if (!error) return;
  if (failures.count++ == 0) failures.first = error;
}
}  // namespace

RegistryFailures RemoveExplorerMenus(System& system) {
  RegistryFailures failures;
  for (const auto& key : ExplorerMenuKeys()) Count(failures, system.DeleteRegistryTree(key));
  return failures;
}

RegistryFailures WriteExplorerMenus(System& system, const std::string& exe) {
  RegistryFailures failures;
  for (const auto& value : ExplorerMenuValues(exe))
    Count(failures, system.SetRegistryString(value.key, value.name, value.data));
  return failures;
}

}  // namespace vantor
