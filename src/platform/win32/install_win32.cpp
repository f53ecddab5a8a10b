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

bool FillAndSave(IShellLinkW& shellLink, const ShellLink& link) {
  const bool filled =
      SUCCEEDED(shellLink.SetPath(Widen(link.target).c_str())) &&
      SUCCEEDED(shellLink.SetArguments(Widen(link.arguments).c_str())) &&
      SUCCEEDED(shellLink.SetDescription(Widen(link.description).c_str())) &&
      SUCCEEDED(shellLink.SetIconLocation(Widen(link.iconFile).c_str(), link.iconIndex)) &&
      SUCCEEDED(shellLink.SetWorkingDirectory(Widen(link.workingFolder).c_str())) &&
      SUCCEEDED(shellLink.SetShowCmd(link.windowState));
  if (!filled) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
    return false;
  return SUCCEEDED(file.p->Save(Widen(link.linkPath).c_str(), TRUE));
}

}  // namespace

bool Win32IsAdministrator() { return IsUserAnAdmin() != FALSE; }

std::string Win32DesktopFolder() { return KnownFolder(CSIDL_DESKTOPDIRECTORY); }

std::string Win32ProgramsFolder() { return KnownFolder(CSIDL_PROGRAMS); }

bool Win32SetRegistryString(const std::string& key, const std::string& valueName,
                            const std::string& data) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring name = Widen(valueName), text = Widen(data);
  // The stored length counts the terminating NUL, as REG_SZ readers expect.
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  const LONG set = RegSetValueExW(handle, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  RegCloseKey(handle);
  return set == ERROR_SUCCESS;
}

bool Win32DeleteRegistryTree(const std::string& key) {
  const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, Widen(key).c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool Win32CreateShellLink(const ShellLink& link) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(init)) return false;
  bool saved = false;
  {
    ComPtr<IShellLinkW> shellLink;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink.p))))
      saved = FillAndSave(*shellLink.p, link);
  }  // released before COM goes
  CoUninitialize();
  return saved;
}

}  // namespace vantor
