#include "platform/win32/registry_read_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// Closes a key when it goes out of scope.
struct OpenKey {
  HKEY handle = nullptr;
  explicit OpenKey(const std::string& key) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
      handle = nullptr;
  }
  ~OpenKey() {
    if (handle) RegCloseKey(handle);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
};

// Registry key names are at most 255 characters.
constexpr DWORD kKeyNameLength = 256;

}  // namespace

std::vector<std::string> Win32RegistrySubKeys(const std::string& key) {
  std::vector<std::string> names;
  const OpenKey open(key);
  if (!open.handle) return names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameLength];
    DWORD length = kKeyNameLength;
    const LONG result =
        RegEnumKeyExW(open.handle, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or a key that vanished
    names.push_back(Narrow(std::wstring_view(name, length)));
  }
  return names;
}

std::optional<std::string> Win32ReadRegistryString(const std::string& key,
                                                   const std::string& valueName) {
  const OpenKey open(key);
  if (!open.handle) return std::nullopt;
  const std::wstring name = Widen(valueName);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(open.handle, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegQueryValueExW(open.handle, name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  // The stored text may or may not end in its own terminator.
  data.resize(bytes / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  return Narrow(data);
}

}  // namespace vantor
