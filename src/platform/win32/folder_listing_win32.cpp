#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// Not in every SDK's headers: the attributes of cloud placeholders.
constexpr DWORD kRecallOnOpen = 0x00040000;
constexpr DWORD kRecallOnDataAccess = 0x00400000;

EntryKind KindOf(DWORD attributes) {
  // A junction or symbolic link: listed, never followed.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Link;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

// FILETIME counts 100 ns steps since 1601; 11644473600 s lie before 1970.
std::int64_t Nanoseconds(const FILETIME& time) {
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
}

FolderEntry EntryOf(const WIN32_FIND_DATAW& data) {
  FolderEntry entry;
  entry.name = Narrow(data.cFileName);
  entry.kind = KindOf(data.dwFileAttributes);
  if (entry.kind == EntryKind::File)
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.lastWriteNs = Nanoseconds(data.ftLastWriteTime);
  entry.dataOffline = (data.dwFileAttributes &
                       (FILE_ATTRIBUTE_OFFLINE | kRecallOnOpen | kRecallOnDataAccess)) != 0;
  entry.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  entry.hidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  return entry;
}

}  // namespace

SystemResult<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  std::wstring pattern = WidePath(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  // The basic information level skips the 8.3 names nobody here reads.
  const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE)
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  std::vector<FolderEntry> entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") entries.push_back(EntryOf(data));
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES)
    return std::error_code(static_cast<int>(error), std::system_category());
  return entries;
}

}  // namespace vantor
