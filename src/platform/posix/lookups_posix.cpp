// What the system says about a path or a process id.
#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

SystemResult<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  if (!real) return std::error_code(errno, std::generic_category());
  return std::string(real.get());
}

std::vector<std::string> ListNamesStartingWith(const std::string& folder, std::string_view prefix) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* item = readdir(dir))
    if (std::string_view(item->d_name).starts_with(prefix)) names.emplace_back(item->d_name);
  closedir(dir);
  return names;
}

bool IsProcessRunning(unsigned processId) {
  // 0 and ids past INT_MAX would name process groups to kill(): no process.
  if (processId == 0 || processId > static_cast<unsigned>(INT_MAX)) return false;
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

}  // namespace vantor
