#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// tar.exe from the system folder by its full path: a program search would
// look in the current folder first, where a package may have put its own.
std::string SystemTar() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "tar";
  return Narrow(std::wstring_view(folder, length)) + "\\tar.exe";
}

}  // namespace

ProgramCall ExtractArchiveCommand(const std::string& archive, const std::string& destination) {
  return {SystemTar(), {"-xf", archive, "-C", destination}};
}

}  // namespace vantor
