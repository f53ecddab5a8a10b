#include "platform/win32/install_win32.h"

// windows.h first: the shell headers rely on its types.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

std::string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return Narrow(path);
}

// Releases a COM interface when it goes out of scope.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

std::error_code RegistryError(LONG code) {
  return {static_cast<int>(code), std::system_category()};
}

// A Win32 code wrapped in an HRESULT reads as that code; any other HRESULT
// is looked up as it is (the system's message table knows most COM ones).
std::error_code HResultError(HRESULT result) {
  const auto code = HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : result;
  return {static_cast<int>(code), std::system_category()};
}

HRESULT FillAndSave(IShellLinkW& shellLink, const ShellLink& link) {
  HRESULT result = shellLink.SetPath(Widen(link.target).c_str());
  if (SUCCEEDED(result)) result = shellLink.SetArguments(Widen(link.arguments).c_str());
  if (SUCCEEDED(result)) result = shellLink.SetDescription(Widen(link.description).c_str());
  if (SUCCEEDED(result))
    result = shellLink.SetIconLocation(Widen(link.iconFile).c_str(), link.iconIndex);
  if (SUCCEEDED(result)) result = shellLink.SetWorkingDirectory(Widen(link.workingFolder).c_str());
  if (SUCCEEDED(result)) result = shellLink.SetShowCmd(link.windowState);
  if (FAILED(result)) return result;
  ComPtr<IPersistFile> file;
  result = shellLink.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
  if (FAILED(result)) return result;
  return file.p->Save(Widen(link.linkPath).c_str(), TRUE);
}

}  // namespace

bool Win32IsAdministrator() { return IsUserAnAdmin() != FALSE; }

std::string Win32DesktopFolder() { return KnownFolder(CSIDL_DESKTOPDIRECTORY); }

std::string Win32ProgramsFolder() { return KnownFolder(CSIDL_PROGRAMS); }

std::error_code Win32SetRegistryString(const std::string& key, const std::string& valueName,
                                       const std::string& data) {
  HKEY handle = nullptr;
  const LONG created =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &handle, nullptr);
  if (created != ERROR_SUCCESS) return RegistryError(created);
  const std::wstring name = Widen(valueName), text = Widen(data);
  // The stored length counts the terminating NUL, as REG_SZ readers expect.
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  const LONG set = RegSetValueExW(handle, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  RegCloseKey(handle);
  return set == ERROR_SUCCESS ? std::error_code() : RegistryError(set);
}

std::error_code Win32DeleteRegistryTree(const std::string& key) {
  const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, Widen(key).c_str());
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return {};
  return RegistryError(result);
}

std::error_code Win32CreateShellLink(const ShellLink& link) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init)) return HResultError(init);
  HRESULT saved;
  {
    ComPtr<IShellLinkW> shellLink;
    saved = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             reinterpret_cast<void**>(&shellLink.p));
    if (SUCCEEDED(saved)) saved = FillAndSave(*shellLink.p, link);
  }  // released before COM goes
  CoUninitialize();
  return SUCCEEDED(saved) ? std::error_code() : HResultError(saved);
}

}  // namespace vantor
