#include <algorithm>

#include "base/paths.h"
#include "base/text.h"
#include "maintenance/sweep.h"

namespace vantor {
namespace {

// Every folder below `root`, links and junctions not followed.
std::vector<std::string> FoldersBelow(const std::string& root, PathStyle style) {
  std::vector<std::string> found;
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    const auto entries = ListFolder(folder);
    if (!entries) continue;  // an unreadable folder is skipped; the rest is still kept tidy
    for (const auto& entry : *entries) {
      if (entry.kind != EntryKind::Folder) continue;
      found.push_back(JoinPath(folder, entry.name, style));
      pending.push_back(found.back());
    }
  }
  return found;
}

// The log and what lies beside it (its lock, journals, temporary files).
bool BelongsToLog(const std::string& name, const std::string& logName) {
  return name == logName || StartsWith(name, logName + ".");
}

}  // namespace

void PurgeBin(const std::string& binFolder, const std::string& logFile, std::int64_t cutoffNs,
              PathStyle style) {
  const std::string logName = LastComponent(logFile);
  std::vector<std::string> folders = FoldersBelow(binFolder, style);
  folders.insert(folders.begin(), binFolder);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const auto entries = ListFolder(folders[i]);
    if (!entries) continue;
    for (const auto& entry : *entries) {
      if (entry.kind != EntryKind::File || entry.lastWriteNs >= cutoffNs) continue;
      if (i == 0 && BelongsToLog(entry.name, logName)) continue;
      RemoveOneFile(JoinPath(folders[i], entry.name, style));
    }
  }
  // Longest paths first, so a chain of empty folders goes in one pass; a
  // folder that is not empty refuses harmlessly.
  std::stable_sort(folders.begin() + 1, folders.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (std::size_t i = 1; i < folders.size(); ++i) RemoveEmptyFolder(folders[i]);
}

}  // namespace vantor
