#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {
namespace {

EntryKind KindOf(mode_t mode) {
  if (S_ISLNK(mode)) return EntryKind::Link;
  return S_ISDIR(mode) ? EntryKind::Folder : EntryKind::File;
}

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

SystemResult<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return std::error_code(errno, std::generic_category());
  std::vector<FolderEntry> entries;
  errno = 0;
  while (const dirent* item = readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    // An entry removed between the listing and the look is simply gone.
    if (fstatat(dirfd(dir), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    FolderEntry entry;
    entry.name = name;
    entry.kind = KindOf(info.st_mode);
    entry.size = entry.kind == EntryKind::File ? static_cast<std::uint64_t>(info.st_size) : 0;
    entry.lastWriteNs = Nanoseconds(info.st_mtim);
    entry.readOnly = (info.st_mode & S_IWUSR) == 0;
    // Dot files are what Linux hides, as .NET reads them there.
    entry.hidden = name.front() == '.';
    entries.push_back(std::move(entry));
    errno = 0;
  }
  const int error = errno;
  closedir(dir);
  if (error) return std::error_code(error, std::generic_category());
  return entries;
}

}  // namespace vantor
