#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "platform/posix/write_all_posix.h"

namespace vantor {
namespace {

std::error_code LastError() { return {errno ? errno : EIO, std::generic_category()}; }

SystemResult<std::string> ReadAll(int fd) {
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) return LastError();
    if (n == 0) return content;
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

// Reads `path`, first taking the flock `lockMode`; a conflicting lock
// another process holds makes this fail at once.
SystemResult<std::string> ReadLocked(const std::string& path, int lockMode) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return LastError();
  if (flock(fd, lockMode | LOCK_NB) != 0) {
    const std::error_code error = LastError();
    close(fd);
    return error;
  }
  auto content = ReadAll(fd);
  close(fd);
  return content;
}

}  // namespace

SystemResult<HeldFile> HeldFile::CreateNew(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  // The flock that .NET's FileShare.None takes too: earlier script versions
  // see our journal as held, and we see theirs.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const std::error_code error = LastError();
    close(fd);
    unlink(path.c_str());
    return error;
  }
  return HeldFile(fd);
}

std::error_code HeldFile::Append(std::string_view bytes) {
  const int fd = static_cast<int>(handle_);
  errno = 0;
  if (!WriteAll(fd, bytes) || fsync(fd) != 0) return LastError();
  return {};
}

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

HeldFile::~HeldFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

SystemResult<std::string> ReadUnheldFile(const std::string& path) {
  return ReadLocked(path, LOCK_EX);
}

// The shared flock .NET takes for FileShare.Read: a program holding the log
// alone (FileShare.None) keeps us out, as it does on Windows.
SystemResult<std::string> ReadWholeFile(const std::string& path) {
  return ReadLocked(path, LOCK_SH);
}

std::error_code SetLastWriteTime(const std::string& path, std::int64_t lastWriteNs) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(lastWriteNs / 1'000'000'000);
  times[1].tv_nsec = static_cast<long>(lastWriteNs % 1'000'000'000);
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return LastError();
  return {};
}

std::error_code RemoveOneFile(const std::string& path) {
  if (unlink(path.c_str()) != 0) return LastError();
  return {};
}

std::error_code RemoveEmptyFolder(const std::string& path) {
  if (rmdir(path.c_str()) != 0) return LastError();
  return {};
}

std::error_code CreateFolderChain(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (!ec) return {};
  // Another process may have made it in the meantime.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {};
  return ec;
}

std::error_code CopyToNewFile(const std::string& from, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return LastError();
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (out < 0) {
    const std::error_code error = LastError();
    close(in);
    return error;
  }
  std::error_code error;
  char buffer[65536];
  errno = 0;
  for (;;) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0) error = LastError();
    if (n <= 0) break;
    if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) {
      error = LastError();
      break;
    }
  }
  if (!error && fsync(out) != 0) error = LastError();
  close(in);
  if (close(out) != 0 && !error) error = LastError();
  if (error) unlink(to.c_str());
  return error;
}

SystemResult<FolderEntry> PathEntry(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return LastError();
  FolderEntry entry;
  entry.name = path.substr(path.find_last_of('/') + 1);
  entry.kind = S_ISLNK(info.st_mode)   ? EntryKind::Link
               : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                       : EntryKind::File;
  entry.size = entry.kind == EntryKind::File ? static_cast<std::uint64_t>(info.st_size) : 0;
  entry.lastWriteNs =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  entry.readOnly = (info.st_mode & S_IWUSR) == 0;
  return entry;
}

std::string UserDecimalSeparator() {
  // The environment's number format, whatever the process's own locale is.
  const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ".";
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  std::string separator = radix && *radix ? radix : ".";
  freelocale(user);
  return separator;
}

}  // namespace vantor
