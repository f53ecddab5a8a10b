// windows.h first: shellapi.h relies on its types.
#include <windows.h>

#include <conio.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/win32/install_win32.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/registry_read_win32.h"
#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

// Win32 calls that fill a caller's buffer and report the length they need.
template <typename Call>
std::string ReadGrowing(Call call) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return Narrow(std::wstring_view(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

class Win32System final : public System {
 public:
  PathStyle Style() const override { return PathStyle::Windows; }

  std::string ModulePath() override {
    // Not limited to MAX_PATH: a long anchor path must not be cut short.
    return ReadGrowing([](wchar_t* b, DWORD n) {
      const DWORD got = GetModuleFileNameW(nullptr, b, n);
      return got == n ? n : got;  // a full buffer means truncated: grow
    });
  }
  std::string TempFolder() override {
    return ReadGrowing([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
  }
  std::string CurrentDirectory() override {
    return ReadGrowing([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
  }
  unsigned ProcessId() override { return GetCurrentProcessId(); }

  int ReadKey() override {
    const int key = _getch();
    if (key == EOF || key == 0xFFFF) return -1;  // no console to read from
    if (key == 0 || key == 0xE0) {
      _getch();  // the second half of a function or arrow key
      return 0;
    }
    return key;
  }
  bool KeyWaiting() override { return _kbhit() != 0; }
  std::optional<std::string> ReadLine() override {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
      // UTF-16 from the console: a dropped path keeps every letter whatever
      // the console code page.
      std::wstring line;
      wchar_t buffer[512];
      DWORD got = 0;
      while (line.find(L'\n') == std::wstring::npos) {
        if (!ReadConsoleW(input, buffer, 512, &got, nullptr) || got == 0) break;
        line.append(buffer, got);
      }
      if (line.empty()) return std::nullopt;
      line = line.substr(0, line.find_first_of(L"\r\n"));
      return Narrow(line);
    }
    // A pipe: byte by byte, so nothing after the line is taken from the keys.
    std::string line;
    char c = 0;
    DWORD got = 0;
    bool any = false;
    while (ReadFile(input, &c, 1, &got, nullptr) && got == 1) {
      any = true;
      if (c == '\n') break;
      line += c;
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  bool IsShiftHeld() override { return GetAsyncKeyState(VK_SHIFT) < 0; }
  void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }

  std::optional<std::string> GetEnv(const std::string& name) override {
    const std::wstring wide = Widen(name);
    const DWORD length = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring value(length, L'\0');
    const DWORD got = GetEnvironmentVariableW(wide.c_str(), value.data(), length);
    return Narrow(std::wstring_view(value.data(), got));
  }
  void SetEnv(const std::string& name, const std::string& value) override {
    SetEnvironmentVariableW(Widen(name).c_str(), Widen(value).c_str());
  }

  SystemResult<ProcessOutput> RunPowerShell(const std::vector<std::string>& args,
                                            ScriptWindow window) override {
    const WORD show = window == ScriptWindow::Interactive ? SW_SHOW : SW_HIDE;
    return RunCaptured(BuildCommandLine("powershell.exe", args), show);
  }
  SystemResult<int> RunPowerShellWithInput(const std::vector<std::string>& args,
                                           std::string_view input) override {
    return RunFeedingInput(BuildCommandLine("powershell.exe", args), input);
  }
  SystemResult<ProcessOutput> RunProgram(const std::string& program,
                                         const std::vector<std::string>& args) override {
    return RunCaptured(BuildCommandLine(program, args), SW_HIDE);
  }

  std::error_code ShellOpen(const std::string& file, const std::string& parameters,
                            const std::string& workingFolder) override {
    const std::wstring wfile = Widen(file), wparams = Widen(parameters),
                       wfolder = Widen(workingFolder);
    const auto result = ShellExecuteW(
        nullptr, L"open", wfile.c_str(), parameters.empty() ? nullptr : wparams.c_str(),
        workingFolder.empty() ? nullptr : wfolder.c_str(), SW_SHOWNORMAL);
    const INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > 32) return {};
    // Failure values up to 32; the thread's last error names the cause.
    const DWORD last = GetLastError();
    return {static_cast<int>(last != 0 ? last : static_cast<DWORD>(code)), std::system_category()};
  }
  ElevationResult ShellRunElevated(const std::string& file,
                                   const std::string& parameters) override {
    const std::wstring wfile = Widen(file), wparams = Widen(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = wfile.c_str();
    info.lpParameters = wparams.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return ElevationResult::Started;
    return GetLastError() == ERROR_CANCELLED ? ElevationResult::Declined : ElevationResult::Failed;
  }

  int ShowMessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), style);
  }
  void BringMessageBoxForward() override {
    // A console program may not take the foreground; an Alt tap lets it.
    keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    ::Sleep(50);
  }

  [[noreturn]] void EndProcess(int code) override {
    std::fflush(stdout);
    ::ExitProcess(static_cast<UINT>(code));
  }

  bool IsAdministrator() override { return Win32IsAdministrator(); }
  std::string DesktopFolder() override { return Win32DesktopFolder(); }
  std::string ProgramsFolder() override { return Win32ProgramsFolder(); }
  std::error_code SetRegistryString(const std::string& key, const std::string& valueName,
                                    const std::string& data) override {
    return Win32SetRegistryString(key, valueName, data);
  }
  std::error_code DeleteRegistryTree(const std::string& key) override {
    return Win32DeleteRegistryTree(key);
  }
  std::error_code CreateShellLink(const ShellLink& link) override {
    return Win32CreateShellLink(link);
  }
  std::vector<std::string> RegistrySubKeys(const std::string& key) override {
    return Win32RegistrySubKeys(key);
  }
  std::optional<std::string> ReadRegistryString(const std::string& key,
                                                const std::string& valueName) override {
    return Win32ReadRegistryString(key, valueName);
  }
};

}  // namespace

System& RealSystem() {
  static Win32System system;
  return system;
}

std::vector<std::string> CommandLineArguments(int, char**) {
  // The wide command line, so that names outside the code page survive.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace vantor
