#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

std::error_code LastError() {
  const DWORD code = GetLastError();
  return {static_cast<int>(code ? code : ERROR_WRITE_FAULT), std::system_category()};
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

SystemResult<std::string> ReadShared(const std::string& path, DWORD share) {
  const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, share, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  std::error_code error;
  while (true) {
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      error = LastError();
      break;
    }
    if (got == 0) break;
    content.append(buffer, got);
  }
  CloseHandle(file);
  if (error) return error;
  return content;
}

// FILETIME counts 100 ns steps since 1601; 11644473600 s lie before 1970.
FILETIME FileTimeOf(std::int64_t ns) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(ns / 100 + 116444736000000000LL);
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

std::int64_t Nanoseconds(const FILETIME& time) {
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
}

std::string ParentOf(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

SystemResult<HeldFile> HeldFile::CreateNew(const std::string& path) {
  // No sharing, as .NET's FileShare.None: earlier script versions see our
  // journal as held, and we see theirs.
  const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  return HeldFile(reinterpret_cast<std::intptr_t>(file));
}

std::error_code HeldFile::Append(std::string_view bytes) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  DWORD written = 0;
  SetLastError(0);
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !FlushFileBuffers(file))
    return LastError();
  return {};
}

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

HeldFile::~HeldFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

SystemResult<std::string> ReadUnheldFile(const std::string& path) { return ReadShared(path, 0); }

SystemResult<std::string> ReadWholeFile(const std::string& path) {
  // A writer replacing the log at this moment is not refused.
  return ReadShared(path, kShareAll);
}

std::error_code SetLastWriteTime(const std::string& path, std::int64_t lastWriteNs) {
  const HANDLE file =
      CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  const FILETIME time = FileTimeOf(lastWriteNs);
  const bool set = SetFileTime(file, nullptr, nullptr, &time);
  const std::error_code error = set ? std::error_code() : LastError();
  CloseHandle(file);
  return error;
}

std::error_code RemoveOneFile(const std::string& path) {
  const std::wstring wide = WidePath(path);
  if (DeleteFileW(wide.c_str())) return {};
  if (GetLastError() != ERROR_ACCESS_DENIED) return LastError();
  // Windows refuses to delete a read-only file; the flag goes first.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
    return {ERROR_ACCESS_DENIED, std::system_category()};
  SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (DeleteFileW(wide.c_str())) return {};
  return LastError();
}

std::error_code RemoveEmptyFolder(const std::string& path) {
  if (RemoveDirectoryW(WidePath(path).c_str())) return {};
  return LastError();
}

std::error_code CreateFolderChain(const std::string& path) {
  const std::wstring wide = WidePath(path);
  if (CreateDirectoryW(wide.c_str(), nullptr)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return {static_cast<int>(error), std::system_category()};
  }
  if (error != ERROR_PATH_NOT_FOUND) return {static_cast<int>(error), std::system_category()};
  const std::string parent = ParentOf(path);
  if (parent.empty() || parent == path) return {static_cast<int>(error), std::system_category()};
  if (const std::error_code parentError = CreateFolderChain(parent)) return parentError;
  if (CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return {};
  return LastError();
}

std::error_code CopyToNewFile(const std::string& from, const std::string& to) {
  const std::wstring target = WidePath(to);
  if (CopyFileExW(WidePath(from).c_str(), target.c_str(), nullptr, nullptr, nullptr,
                  COPY_FILE_FAIL_IF_EXISTS))
    return {};
  const std::error_code error = LastError();
  // Never the file that stood there; only our own half copy.
  if (error.value() != ERROR_FILE_EXISTS) DeleteFileW(target.c_str());
  return error;
}

SystemResult<FolderEntry> PathEntry(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data))
    return LastError();
  FolderEntry entry;
  entry.name = path.substr(path.find_last_of("\\/") + 1);
  const DWORD attributes = data.dwFileAttributes;
  entry.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::Link
               : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? EntryKind::Folder
                                                           : EntryKind::File;
  if (entry.kind == EntryKind::File)
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.lastWriteNs = Nanoseconds(data.ftLastWriteTime);
  entry.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  return entry;
}

std::string UserDecimalSeparator() {
  wchar_t text[8] = L"";
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) <= 1) return ".";
  return Narrow(text);
}

}  // namespace vantor
