#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// The machine's ANSI code page. GetACP() would answer UTF-8: the manifest
// makes that the code page of this process, not of the files Creo writes.
UINT SystemCodePage() {
  DWORD codePage = 0;
  const int read = GetLocaleInfoEx(
      LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
      reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR));
  // A machine set to UTF-8 throughout has no legacy code page; a file that is
  // not UTF-8 there most likely came from a Western European one.
  if (read == 0 || codePage == 0 || codePage == CP_UTF8) return 1252;
  return codePage;
}

}  // namespace

std::string SystemCodePageToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const UINT codePage = SystemCodePage();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::string(bytes);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
  return Narrow(wide);
}

std::optional<std::string> Utf8ToSystemCodePage(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const UINT codePage = SystemCodePage();
  const std::wstring wide = Widen(utf8);
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  // No best fit: a character the code page lacks must not turn into a
  // look-alike (a different path) without anyone noticing.
  const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                      nullptr, &lossy);
  if (lossy) return std::nullopt;
  return out;
}

}  // namespace vantor
