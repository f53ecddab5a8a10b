#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {

SystemResult<std::string> ReadFileHead(const std::string& file, std::size_t maxBytes) {
  // Shared for writing and deleting: Creo may be saving the model right now,
  // and a look at its head must not stand in the way.
  const HANDLE handle = CreateFileW(
      WidePath(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
  std::string head(maxBytes, '\0');
  std::size_t filled = 0;
  while (filled < maxBytes) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(maxBytes - filled);
    if (!ReadFile(handle, head.data() + filled, want, &got, nullptr)) {
      const DWORD error = GetLastError();
      CloseHandle(handle);
      return std::error_code(static_cast<int>(error), std::system_category());
    }
    if (got == 0) break;
    filled += got;
  }
  CloseHandle(handle);
  head.resize(filled);
  return head;
}

}  // namespace vantor
