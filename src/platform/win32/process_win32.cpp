#include "platform/win32/process_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace vantor {
namespace {

bool NeedsQuotes(const std::string& arg) {
  return arg.empty() || arg.find_first_of(" \t\"\\") != std::string::npos;
}

// Quoting that CommandLineToArgvW and the C runtime read back unchanged:
// backslashes are doubled only before a quote, never left before the
// closing one.
std::string Quote(const std::string& arg) {
  if (!NeedsQuotes(arg)) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// An anonymous pipe whose `keep` end stays in this process only.
std::error_code MakePipe(Pipe& pipe, bool keepReadEnd) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  if (!CreatePipe(&pipe.read, &pipe.write, &sa, 0)) return LastError();
  SetHandleInformation(keepReadEnd ? pipe.read : pipe.write, HANDLE_FLAG_INHERIT, 0);
  return {};
}

SystemResult<PROCESS_INFORMATION> Start(const std::string& commandLine, STARTUPINFOW& startup) {
  std::wstring buffer = Widen(commandLine);  // CreateProcessW may write to it
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info))
    return LastError();
  return info;
}

int Finish(const PROCESS_INFORMATION& info) {
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  if (!GetExitCodeProcess(info.hProcess, &code)) code = 0;
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<int>(code);
}

}  // namespace

std::string BuildCommandLine(const std::string& program,
                             const std::vector<std::string>& arguments) {
  std::string line = Quote(program);
  for (const auto& arg : arguments) line += " " + Quote(arg);
  return line;
}

SystemResult<ProcessOutput> RunCaptured(const std::string& commandLine, WORD show) {
  Pipe pipe;
  if (const std::error_code error = MakePipe(pipe, true)) return error;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  startup.hStdOutput = pipe.write;
  startup.hStdError = pipe.write;
  const auto info = Start(commandLine, startup);
  CloseHandle(pipe.write);
  if (!info) {
    CloseHandle(pipe.read);
    return info.error();
  }
  ProcessOutput result;
  char block[4095];
  DWORD got = 0;
  while (ReadFile(pipe.read, block, sizeof block, &got, nullptr) && got > 0)
    result.output.append(block, got);
  CloseHandle(pipe.read);
  result.exitCode = Finish(*info);
  return result;
}

SystemResult<int> RunFeedingInput(const std::string& commandLine, std::string_view input) {
  Pipe pipe;
  if (const std::error_code error = MakePipe(pipe, false)) return error;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = pipe.read;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  const auto info = Start(commandLine, startup);
  if (!info) {
    CloseHandle(pipe.read);
    CloseHandle(pipe.write);
    return info.error();
  }
  DWORD written = 0;
  WriteFile(pipe.write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  CloseHandle(pipe.write);  // ends the script's input
  CloseHandle(pipe.read);
  return Finish(*info);
}

}  // namespace vantor
