// A stand-in powershell.exe for the window tests under Wine, whose own
// powershell.exe prints nothing. Placed beside Vantor.exe it is found first;
// it takes the command lines Windows PowerShell takes and runs the script in
// winhost (VANTOR_WINHOST names it), so the real program opens its windows,
// reads their result lines and gets their exit codes as from PowerShell.
//
//   -File path [arguments]   runs the file
//   -Command -               runs what arrives on standard input
// -NoProfile, -NonInteractive, -Sta, -ExecutionPolicy x and -WindowStyle x
// are accepted and change nothing. Names may be shortened and written in any
// case, as PowerShell allows. A command line PowerShell would refuse ends
// with 64, PowerShell's code for that.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kBadCommandLine = 64;

struct Switch {
  const wchar_t* name;
  bool takesValue;
};

constexpr Switch kSwitches[] = {
    {L"noprofile", false}, {L"noninteractive", false}, {L"sta", false},         {L"mta", false},
    {L"nologo", false},    {L"executionpolicy", true}, {L"windowstyle", true},  {L"file", true},
    {L"command", true},    {L"inputformat", true},     {L"outputformat", true},
};

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// The switch `arg` names ("-NoP", "/file"), or nullptr when it names none or
// more than one. A whole name always wins over a longer one it begins.
const Switch* FindSwitch(const std::wstring& arg) {
  if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) return nullptr;
  const std::wstring given = Lower(arg.substr(1));
  const Switch* found = nullptr;
  int matches = 0;
  for (const auto& candidate : kSwitches) {
    const std::wstring name = candidate.name;
    if (name == given) return &candidate;
    if (name.compare(0, given.size(), given) == 0) {
      found = &candidate;
      ++matches;
    }
  }
  return matches == 1 ? found : nullptr;
}

struct Request {
  std::wstring file;               // -File
  std::wstring command;            // -Command ("-" for standard input)
  std::vector<std::wstring> rest;  // arguments after the file
};

bool ParseArguments(int argc, wchar_t** argv, Request& request, std::wstring& problem) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const Switch* known = FindSwitch(arg);
    if (!known) {
      problem = L"The argument '" + arg + L"' is not recognized.";
      return false;
    }
    if (!known->takesValue) continue;
    if (i + 1 >= argc) {
      problem = L"Missing the value of " + arg + L".";
      return false;
    }
    const std::wstring value = argv[++i];
    const std::wstring name = known->name;
    if (name == L"file") {
      request.file = value;
      request.rest.assign(argv + i + 1, argv + argc);  // everything after belongs to the script
      return true;
    }
    if (name == L"command") {
      request.command = value;
      if (i + 1 < argc) {
        problem = L"Only '-Command -' is supported here.";
        return false;
      }
    }
  }
  if (request.command.empty()) {
    problem = L"Give -File or -Command -.";
    return false;
  }
  if (request.command != L"-") {
    problem = L"Only '-Command -' is supported here.";
    return false;
  }
  return true;
}

// Quoting that the C runtime of winhost reads back unchanged.
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// Standard input, whole, into a new script file: PowerShell runs a piped
// script to its end as well. The byte-order mark keeps non-ASCII text UTF-8.
bool SaveStandardInput(std::wstring& path) {
  wchar_t folder[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, folder)) return false;
  path = std::wstring(folder) + L"Vantor_StdIn_" + std::to_wstring(GetCurrentProcessId()) + L".ps1";
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, "\xEF\xBB\xBF", 3, &written, nullptr);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char block[4096];
  DWORD got = 0;
  while (ok && ReadFile(input, block, sizeof block, &got, nullptr) && got > 0)
    ok = WriteFile(file, block, got, &written, nullptr) && written == got;
  CloseHandle(file);
  return ok;
}

// Runs winhost on the script with this process's standard handles; its exit code.
int RunHost(const std::wstring& host, const std::wstring& script,
            const std::vector<std::wstring>& rest) {
  std::wstring line = Quote(host) + L" " + Quote(script);
  for (const auto& arg : rest) line += L" " + Quote(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    fwprintf(stderr, L"powershell.exe stand-in: cannot start %ls (error %lu)\n", host.c_str(),
             GetLastError());
    return 1;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Request request;
  std::wstring problem;
  if (!ParseArguments(argc, argv, request, problem)) {
    fwprintf(stderr, L"%ls\n", problem.c_str());
    return kBadCommandLine;
  }
  wchar_t host[MAX_PATH];
  if (!GetEnvironmentVariableW(L"VANTOR_WINHOST", host, MAX_PATH)) {
    fwprintf(stderr, L"powershell.exe stand-in: VANTOR_WINHOST names no winhost.exe\n");
    return 1;
  }
  if (!request.file.empty()) return RunHost(host, request.file, request.rest);
  std::wstring script;
  if (!SaveStandardInput(script)) {
    fwprintf(stderr, L"powershell.exe stand-in: standard input not saved\n");
    return 1;
  }
  const int code = RunHost(host, script, {});
  DeleteFileW(script.c_str());
  return code;
}
