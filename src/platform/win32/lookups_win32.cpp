// What the system says about a path or a process id.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

std::error_code LastError() {
  const DWORD code = GetLastError();
  return {static_cast<int>(code ? code : ERROR_INVALID_FUNCTION), std::system_category()};
}

// The final path comes as \\?\C:\x or \\?\UNC\server\share\x.
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

DWORD FinalPathOf(HANDLE file, std::wstring& buffer) {
  return GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
}

}  // namespace

SystemResult<std::string> RealPath(const std::string& path) {
  // Backup semantics open a folder as well as a file; asking for the name
  // needs no access rights, and sharing everything disturbs no one.
  const HANDLE file =
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD length = FinalPathOf(file, buffer);
  if (length >= buffer.size()) {  // too small: the length asked for counts the NUL
    buffer.resize(length);
    length = FinalPathOf(file, buffer);
  }
  const std::error_code error = length == 0 ? LastError() : std::error_code();
  CloseHandle(file);
  if (error) return error;
  if (length >= buffer.size()) return std::make_error_code(std::errc::filename_too_long);
  buffer.resize(length);
  return Narrow(WithoutLongPrefix(buffer));
}

std::vector<std::string> ListNamesStartingWith(const std::string& folder, std::string_view prefix) {
  std::wstring pattern = WidePath(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += Widen(prefix) + L'*';
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  // The system matches the pattern; the basic level skips the 8.3 names.
  const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(Narrow(data.cFileName));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

bool IsProcessRunning(unsigned processId) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  // Only an unknown id means gone: access is denied to another account's
  // process, which runs all the same.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

}  // namespace vantor
