// Moving chosen files out of the sweep bin, back where they came from.
#pragma once

#include <string>
#include <vector>

#include "maintenance/restore_list.h"
#include "platform/platform.h"

namespace vantor {

struct RestoreTarget {
  std::string binFolder;
  std::string logFile;
  PathStyle style = PathStyle::Windows;
  std::string now;  // "yyyy-MM-dd HH:mm:ss", for the lines of displaced files
};

// Moves each file back to its folder (created when missing) and returns how
// many now stand there. A file the user made since under the same name is not
// overwritten: it goes into the bin under a name of its own with a log line,
// so a later sweep of the restored file cannot replace it there. Every batch
// of moves is named in a journal first. Emptied mirror folders go at the end.
int RestoreSweptFiles(const std::vector<SweptFile>& chosen, const RestoreTarget& target);

// The bin name of a displaced file: "a.log" -> "a (displaced 2024-05-03
// 101500).log"; the extension stays so the file still opens as before.
std::string DisplacedName(const std::string& name, const std::string& now);

// Removes every empty folder below `binFolder`, deepest first.
void RemoveEmptyMirrorFolders(const std::string& binFolder, PathStyle style);

}  // namespace vantor
