#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/write_all_posix.h"

namespace vantor {

namespace {

// O_EXCL and O_NOFOLLOW: whatever already stands at `path` is never opened.
int CreateExclusive(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

bool WriteAllAndSync(int fd, std::string_view content) {
  return WriteAll(fd, content) && fsync(fd) == 0;
}

// A fresh temporary file beside `path`; -1 when none could be made.
int CreateTempBeside(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
    temp = path + ".vtmp" + UnpredictableName();
    const int fd = CreateExclusive(temp);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

std::error_code LastError() { return {errno ? errno : EIO, std::generic_category()}; }

}  // namespace

std::error_code CreateNewFile(const std::string& path, std::string_view content) {
  const int fd = CreateExclusive(path);
  if (fd < 0) return {errno, std::generic_category()};
  const bool complete = WriteAllAndSync(fd, content);
  const int error = errno;
  close(fd);
  if (complete) return {};
  unlink(path.c_str());
  return {error ? error : EIO, std::generic_category()};
}

// rename replaces a link at `path` itself instead of writing through it.
std::error_code ReplaceFileAtomically(const std::string& path, std::string_view content) {
  std::string temp;
  const int fd = CreateTempBeside(path, temp);
  if (fd < 0) return LastError();
  errno = 0;
  std::error_code error;
  if (!WriteAllAndSync(fd, content)) error = LastError();
  close(fd);
  if (!error && rename(temp.c_str(), path.c_str()) != 0) error = LastError();
  if (error) unlink(temp.c_str());
  return error;
}

std::error_code RenameWithinVolume(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) == 0) return {};
  return LastError();
}

SystemResult<FileLock> FileLock::Acquire(const std::string& lockPath, int timeoutMs) {
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const std::error_code error = LastError();
    const bool held = error.value() == EWOULDBLOCK || error.value() == EINTR;
    if (!held || std::chrono::steady_clock::now() >= deadline) {
      close(fd);
      return error;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

FileLock::~FileLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // releases the flock
}

}  // namespace vantor
