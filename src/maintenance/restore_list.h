// The swept files a restore can offer, read from the history log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// One file line of the log.
struct SweptFile {
  std::string time;        // "yyyy-MM-dd HH:mm:ss"
  std::string name;        // trimmed
  std::string folder;      // the folder it came from, trimmed
  std::string sizeColumn;  // "(1.2 KB)" or "(1.2 KB) [Clutter]", trimmed
  std::string binPath;     // where the bin keeps it; empty when it has no place there
};

struct RestoreList {
  bool anyFileLine = false;        // false: the log holds no file line at all
  std::vector<SweptFile> offered;  // newest first, each still in the bin
};

// The newest line of each file (name and folder, letter case ignored) wins,
// and only then are files no longer in the bin dropped: when the newest copy
// is gone, older copies of the same file are not offered. Lines whose folder
// is no complete path of `style`, or whose name is no plain file name, are
// never offered.
RestoreList BuildRestoreList(std::string_view logText, const std::string& binFolder,
                             PathStyle style);

// Only a complete path is a place to restore to: a drive or share path on
// Windows, a path from the root elsewhere, without "." or ".." steps.
bool IsRestorableFolder(std::string_view folder, PathStyle style);

// The picker's rows, one per line: date and time without seconds, "Clutter"
// or the size, name and folder, tab-separated and padded to 26, 17, 60 and
// 120 characters.
std::string RestoreRowsText(const std::vector<SweptFile>& offered);

// The picker window's title.
std::string RestoreWindowTitle(const std::string& days);

}  // namespace vantor
