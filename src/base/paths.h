// Paths are UTF-8 text inside the program. These helpers join and split
// them by the rules of a path style and bridge to std::filesystem.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/platform.h"

namespace vantor {

char Separator(PathStyle style);
bool IsSeparator(char c);  // "\" and "/" both count
// `folder` + separator + `name`; no doubled separator.
std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style);
// Everything before the last separator, trailing separators stripped.
std::string ParentFolder(std::string_view path);
// The folder that holds `path`, as a folder a program can start in: a
// drive root keeps its separator (C:\, not the drive-relative C:).
std::string FolderOf(std::string_view path, PathStyle style);
// The text after the last separator.
std::string LastComponent(std::string_view path);
std::string StripTrailingSeparators(std::string_view path);

// `path` as a full path: a relative one is taken against `currentDirectory`
// (on Windows also "\x", against its drive, and "D:x", against D:\ unless
// the current directory is on D:), "." and ".." steps are resolved, and
// doubled or trailing separators dropped.
std::string AbsolutePath(std::string_view path, std::string_view currentDirectory, PathStyle style);

std::filesystem::path ToFsPath(std::string_view utf8);
std::string FromFsPath(const std::filesystem::path& path);

// Status queries that never throw: an entry whose status cannot be read
// counts as missing.
bool PathExists(std::string_view path);
bool IsDirectory(std::string_view path);
// Creates the folder and every missing parent; false when it is not there
// afterwards.
bool CreateFolders(std::string_view path);
// The same, with the reason when the folder is not there afterwards.
std::error_code CreateFoldersOrReason(std::string_view path);

}  // namespace vantor
