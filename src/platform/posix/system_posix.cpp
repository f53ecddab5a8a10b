// Linux stand-ins for the Windows calls: small and honest, so that the
// logic around them runs end to end in tests.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/posix/install_posix.h"
#include "platform/posix/process_posix.h"

namespace vantor {
namespace {

std::string ToLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// pwsh refuses the switches that only mean something on Windows.
std::vector<std::string> PwshArguments(const std::vector<std::string>& args) {
  std::vector<std::string> out{"pwsh"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string lower = ToLower(args[i]);
    if (lower == "-sta") continue;
    if (lower == "-windowstyle") {
      ++i;
      continue;
    }
    out.push_back(args[i]);
  }
  return out;
}

int ReadRawKey() {
  termios saved{};
  tcgetattr(STDIN_FILENO, &saved);
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  unsigned char c = 0;
  const ssize_t n = read(STDIN_FILENO, &c, 1);
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  if (n != 1) return -1;
  return c == '\n' ? '\r' : c;  // Enter gives CR, as _getch does
}

class PosixSystem final : public System {
 public:
  PosixSystem() {
    signal(SIGPIPE, SIG_IGN);
    // pwsh colours its error view even into a pipe; Windows PowerShell 5.1
    // prints plain text, and callers show that text as it is.
    setenv("NO_COLOR", "1", 0);
  }

  PathStyle Style() const override { return PathStyle::Posix; }

  std::string ModulePath() override {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
  }
  std::string TempFolder() override {
    const char* dir = std::getenv("TMPDIR");
    std::string temp = (dir && *dir) ? dir : "/tmp";
    if (temp.back() != '/') temp += '/';
    return temp;
  }
  std::string CurrentDirectory() override {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
  }
  unsigned ProcessId() override { return static_cast<unsigned>(getpid()); }

  int ReadKey() override {
    if (isatty(STDIN_FILENO)) return ReadRawKey();
    unsigned char c = 0;
    if (read(STDIN_FILENO, &c, 1) != 1) return -1;
    return c == '\n' ? '\r' : c;
  }
  bool KeyWaiting() override {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    return poll(&fd, 1, 0) > 0;  // also true at the end of input
  }
  std::optional<std::string> ReadLine() override {
    // Byte by byte: a buffered stream would swallow the keys that follow.
    std::string line;
    unsigned char c = 0;
    bool any = false;
    while (read(STDIN_FILENO, &c, 1) == 1) {
      any = true;
      if (c == '\n') break;
      line += static_cast<char>(c);
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  bool IsShiftHeld() override { return false; }
  void Sleep(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  std::optional<std::string> GetEnv(const std::string& name) override {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  }
  void SetEnv(const std::string& name, const std::string& value) override {
    setenv(name.c_str(), value.c_str(), 1);
  }

  SystemResult<ProcessOutput> RunPowerShell(const std::vector<std::string>& args,
                                            ScriptWindow) override {
    return RunCaptured(PwshArguments(args));
  }
  SystemResult<int> RunPowerShellWithInput(const std::vector<std::string>& args,
                                           std::string_view input) override {
    return RunFeedingInput(PwshArguments(args), input);
  }
  SystemResult<ProcessOutput> RunProgram(const std::string& program,
                                         const std::vector<std::string>& args) override {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCaptured(argv);
  }

  std::error_code ShellOpen(const std::string& file, const std::string& parameters,
                            const std::string& workingFolder) override {
    if (access(file.c_str(), X_OK) == 0) {
      std::vector<std::string> argv{file};
      if (!parameters.empty()) argv.push_back(parameters);
      return StartDetached(argv, workingFolder);
    }
    return StartDetached({"xdg-open", file}, workingFolder);
  }
  ElevationResult ShellRunElevated(const std::string&, const std::string&) override {
    return ElevationResult::Failed;  // no elevation prompt on Linux
  }

  int ShowMessageBox(const std::string& caption, const std::string& text, unsigned) override {
    const std::string line = "[" + caption + "] " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return 1;  // IDOK
  }
  void BringMessageBoxForward() override {}

  [[noreturn]] void EndProcess(int code) override {
    std::fflush(stdout);
    std::exit(code);
  }

  // There is no elevation on Linux (ShellRunElevated above never starts a
  // second copy); root stands in for an administrator, so the machine stage
  // of Setup and Uninstall runs end to end when the program runs as root.
  bool IsAdministrator() override { return geteuid() == 0; }
  std::string DesktopFolder() override { return PosixDesktopFolder(); }
  std::string ProgramsFolder() override { return PosixProgramsFolder(); }
  std::error_code SetRegistryString(const std::string& key, const std::string& valueName,
                                    const std::string& data) override {
    return PosixSetRegistryString(key, valueName, data);
  }
  std::error_code DeleteRegistryTree(const std::string& key) override {
    return PosixDeleteRegistryTree(key);
  }
  std::error_code CreateShellLink(const ShellLink& link) override {
    return PosixCreateShellLink(link);
  }
  std::vector<std::string> RegistrySubKeys(const std::string& key) override {
    return PosixRegistrySubKeys(key);
  }
  std::optional<std::string> ReadRegistryString(const std::string& key,
                                                const std::string& valueName) override {
    return PosixReadRegistryString(key, valueName);
  }
};

}  // namespace

System& RealSystem() {
  static PosixSystem system;
  return system;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace vantor
