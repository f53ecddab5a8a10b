#include "platform/posix/process_posix.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vantor {
namespace {

// execvp needs a null-terminated array of mutable pointers.
std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const auto& arg : argv) out.push_back(const_cast<char*>(arg.c_str()));
  out.push_back(nullptr);
  return out;
}

// The exit code, or 127 when exec failed in the child.
int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::error_code LastError() { return {errno ? errno : EIO, std::generic_category()}; }

// Tells the parent why exec failed: the pipe closes on exec and carries the
// child's errno when it failed. Empty when the program started.
std::error_code ExecError(int statusRead) {
  int error = 0;
  const ssize_t n = read(statusRead, &error, sizeof error);
  close(statusRead);
  if (n == 0) return {};
  return {n == sizeof error && error ? error : ECHILD, std::generic_category()};
}

[[noreturn]] void ExecOrReport(const std::vector<std::string>& argv, int statusWrite) {
  auto pointers = ArgvPointers(argv);
  execvp(pointers[0], pointers.data());
  const int error = errno;
  (void)!write(statusWrite, &error, sizeof error);
  _exit(127);
}

// Two pipes for a child: `data` as given, `status` closed on exec. The
// reason when either could not be made (then neither is open).
std::error_code MakePipes(int data[2], int status[2]) {
  if (pipe(data) != 0) return LastError();
  if (pipe2(status, O_CLOEXEC) == 0) return {};
  const std::error_code error = LastError();
  close(data[0]);
  close(data[1]);
  return error;
}

}  // namespace

SystemResult<ProcessOutput> RunCaptured(const std::vector<std::string>& argv) {
  int out[2], status[2];
  if (const std::error_code error = MakePipes(out, status)) return error;
  const pid_t pid = fork();
  if (pid == 0) {
    const int nul = open("/dev/null", O_RDONLY);
    dup2(nul, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(out[1], STDERR_FILENO);
    close(out[0]);
    close(status[0]);
    ExecOrReport(argv, status[1]);
  }
  const std::error_code forkError = pid < 0 ? LastError() : std::error_code();
  close(out[1]);
  close(status[1]);
  if (forkError) {
    close(out[0]);
    close(status[0]);
    return forkError;
  }
  const std::error_code notStarted = ExecError(status[0]);
  ProcessOutput result;
  char block[4096];
  ssize_t n;
  while ((n = read(out[0], block, sizeof block)) > 0) result.output.append(block, n);
  close(out[0]);
  result.exitCode = WaitFor(pid);
  if (notStarted) return notStarted;
  return result;
}

SystemResult<int> RunFeedingInput(const std::vector<std::string>& argv, std::string_view input) {
  int in[2], status[2];
  if (const std::error_code error = MakePipes(in, status)) return error;
  const pid_t pid = fork();
  if (pid == 0) {
    // pwsh reading a script from its input would switch our terminal's
    // keypad mode; Windows PowerShell leaves the console alone.
    setenv("TERM", "dumb", 1);
    dup2(in[0], STDIN_FILENO);
    close(in[1]);
    close(status[0]);
    ExecOrReport(argv, status[1]);
  }
  const std::error_code forkError = pid < 0 ? LastError() : std::error_code();
  close(in[0]);
  close(status[1]);
  if (forkError) {
    close(in[1]);
    close(status[0]);
    return forkError;
  }
  const std::error_code notStarted = ExecError(status[0]);
  std::size_t written = 0;
  while (!notStarted && written < input.size()) {
    const ssize_t n = write(in[1], input.data() + written, input.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(in[1]);  // ends the script's input
  const int code = WaitFor(pid);
  if (notStarted) return notStarted;
  return code;
}

std::error_code StartDetached(const std::vector<std::string>& argv, const std::string& folder) {
  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) return LastError();
  const pid_t pid = fork();
  if (pid == 0) {
    // A second fork so the started program is not left as our zombie.
    if (fork() != 0) _exit(0);
    setsid();
    close(status[0]);
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
      const int error = errno;
      (void)!write(status[1], &error, sizeof error);
      _exit(127);
    }
    ExecOrReport(argv, status[1]);
  }
  const std::error_code forkError = pid < 0 ? LastError() : std::error_code();
  close(status[1]);
  if (forkError) {
    close(status[0]);
    return forkError;
  }
  WaitFor(pid);
  return ExecError(status[0]);
}

}  // namespace vantor
