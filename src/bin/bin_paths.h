// Where the sweep bin and its history log lie, and where below the bin a
// swept file lands: the one copy of the mirror rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// anchor \ Vantor_Sweep, and the log inside it.
std::string BinFolderOf(const std::string& anchorFolder, PathStyle style);
std::string HistoryLogOf(const std::string& anchorFolder, PathStyle style);

// The folders below the bin that mirror an original folder:
//   C:\Work\Proj    -> Vantor_Drive_C, Work, Proj
//   \\fs01\cad\proj -> Vantor_UNC_Server, fs01, cad, proj
//   /home/u/proj    -> home, u, proj (any other form, as it is)
// Empty when the folder has no place inside the bin: nothing to mirror, a
// "." or ".." step, or a device path such as \\?\.
std::vector<std::string> MirrorFolderParts(std::string_view folder, PathStyle style);

// bin \ mirror of `folder`; empty when the folder has no place.
std::string MirrorFolderOf(const std::string& binFolder, std::string_view folder, PathStyle style);

// bin \ mirror of `folder` \ `fileName`; empty when the folder has no place.
std::string BinCopyPath(const std::string& binFolder, std::string_view folder,
                        const std::string& fileName, PathStyle style);

}  // namespace vantor
