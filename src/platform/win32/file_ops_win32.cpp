#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

bool WriteWholeFile(const std::wstring& path, std::string_view content) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
      written == content.size() && FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::wstring target = Widen(path);
  const std::wstring temp = target + L".vtmp" + std::to_wstring(GetCurrentProcessId());
  if (!WriteWholeFile(temp, content)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  // A virus scanner or indexer may hold the target for a moment: retry.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (MoveFileExW(temp.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    Sleep(100);
  }
  DeleteFileW(temp.c_str());
  return false;
}

std::optional<FileLock> FileLock::Acquire(const std::string& lockPath, int timeoutMs) {
  const std::wstring path = Widen(lockPath);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    // No sharing: the open itself is the lock, and Windows drops it when
    // the process ends.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return FileLock(reinterpret_cast<std::intptr_t>(file));
    if (GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount64() >= deadline)
      return std::nullopt;
    Sleep(25);
  }
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

FileLock::~FileLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace vantor
