#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// CREATE_NEW: whatever already stands at `path` (a file, a link) is never
// opened; FILE_FLAG_OPEN_REPARSE_POINT keeps a link from being followed.
HANDLE CreateExclusive(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool WriteAllAndFlush(HANDLE file, std::string_view content) {
  DWORD written = 0;
  return WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size() && FlushFileBuffers(file);
}

std::error_code LastError() {
  const DWORD code = GetLastError();
  return {static_cast<int>(code ? code : ERROR_WRITE_FAULT), std::system_category()};
}

// Writes a fresh temporary file beside `target`; the reason when none could
// be made, which leaves nothing behind.
std::error_code WriteTempBeside(const std::wstring& target, std::string_view content,
                                std::wstring& temp) {
  for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
    temp = target + L".vtmp" + Widen(UnpredictableName());
    const HANDLE file = CreateExclusive(temp);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return LastError();
    }
    SetLastError(0);
    // A short write succeeds without an error of its own.
    const std::error_code error = WriteAllAndFlush(file, content) ? std::error_code() : LastError();
    CloseHandle(file);
    if (error) DeleteFileW(temp.c_str());
    return error;
  }
  return {ERROR_FILE_EXISTS, std::system_category()};
}

}  // namespace

std::error_code CreateNewFile(const std::string& path, std::string_view content) {
  const std::wstring target = WidePath(path);
  const HANDLE file = CreateExclusive(target);
  if (file == INVALID_HANDLE_VALUE)
    return {static_cast<int>(GetLastError()), std::system_category()};
  const bool ok = WriteAllAndFlush(file, content);
  // A short write succeeds without an error of its own.
  const DWORD error = ok ? 0 : (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
  CloseHandle(file);
  if (ok) return {};
  DeleteFileW(target.c_str());
  return {static_cast<int>(error), std::system_category()};
}

std::error_code ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::wstring target = WidePath(path);
  std::wstring temp;
  if (const std::error_code error = WriteTempBeside(target, content, temp)) return error;
  // A virus scanner or indexer may hold the target for a moment: retry.
  std::error_code error;
  for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
    if (MoveFileExW(temp.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return {};
    error = LastError();
    Sleep(kReplacePauseMs);
  }
  DeleteFileW(temp.c_str());
  return error;
}

std::error_code RenameWithinVolume(const std::string& from, const std::string& to) {
  // Without MOVEFILE_COPY_ALLOWED Windows refuses to cross volumes instead
  // of copying over `to` and leaving it half-written when the disk fills.
  const std::wstring source = WidePath(from);
  const std::wstring target = WidePath(to);
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExW(source.c_str(), target.c_str(), flags)) return {};
  // A read-only file is not replaced (a bin copy keeps its original's flag).
  const DWORD refusal = GetLastError();
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (refusal == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) &&
      MoveFileExW(source.c_str(), target.c_str(), flags))
    return {};
  if (refusal == ERROR_NOT_SAME_DEVICE) return std::make_error_code(std::errc::cross_device_link);
  return {static_cast<int>(refusal), std::system_category()};
}

SystemResult<FileLock> FileLock::Acquire(const std::string& lockPath, int timeoutMs) {
  const std::wstring path = WidePath(lockPath);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    // No sharing: the open itself is the lock, and Windows drops it when
    // the process ends.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return FileLock(reinterpret_cast<std::intptr_t>(file));
    if (GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount64() >= deadline)
      return LastError();
    Sleep(25);
  }
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

FileLock::~FileLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace vantor
