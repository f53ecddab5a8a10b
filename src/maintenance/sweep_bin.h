// Where a file lands in the sweep bin, and how it gets there. The sweep
// engine and the restore window carry the same mirror rule in PowerShell;
// this is the program's one copy of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// The folders below the bin that mirror an original folder:
//   C:\Work\Proj    -> Vantor_Drive_C, Work, Proj
//   \\fs01\cad\proj -> Vantor_UNC_Server, fs01, cad, proj
//   /home/u/proj    -> home, u, proj (any other form, as it is)
// Empty when the folder has no place inside the bin: nothing to mirror, a
// "." or ".." step, or a device path such as \\?\.
std::vector<std::string> MirrorFolderParts(std::string_view folder, PathStyle style);

// bin \ mirror of `folder` \ `fileName`; empty when the folder has no place.
std::string BinCopyPath(const std::string& binFolder, std::string_view folder,
                        const std::string& fileName, PathStyle style);

// True when `text` survives a history log line as written: no "|", no
// control character, no blank at either end (the reader trims columns).
bool FitsHistoryColumn(std::string_view text);

// Moves `from` to `to`, replacing a file there, keeping the last-write
// time. Within one volume a rename; across volumes copy, check the size,
// then delete, so a failed copy leaves no partial file and an older `to`
// whole. Empty on success, else the reason.
std::string MoveFileSafely(const std::string& from, const std::string& to);

}  // namespace vantor
