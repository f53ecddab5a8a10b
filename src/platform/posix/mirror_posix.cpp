#include "platform/platform.h"

namespace vantor {
namespace {

// rsync copies a folder's contents only when the source ends in "/", and
// reads "name:" before the first "/" as a remote host.
std::string LocalFolderOperand(const std::string& folder) {
  std::string operand = folder;
  if (operand.empty() || operand.front() != '/') operand = "./" + operand;
  if (operand.back() != '/') operand += '/';
  return operand;
}

}  // namespace

ProgramCall MirrorFolderCommand(const std::string& source, const std::string& destination,
                                const std::vector<std::string>& excludedNames, MirrorRun run) {
  // --omit-dir-times: robocopy does not count a folder's own time as a change.
  ProgramCall call{"rsync", {"-a", "--delete", "--update", "--omit-dir-times"}};
  for (const auto& name : excludedNames) call.arguments.push_back("--exclude=" + name);
  if (run == MirrorRun::DryRun) {
    call.arguments.push_back("--dry-run");
    call.arguments.push_back("--itemize-changes");
  }
  call.arguments.push_back("--");
  call.arguments.push_back(LocalFolderOperand(source));
  call.arguments.push_back(LocalFolderOperand(destination));
  return call;
}

int MirrorStatus(const ProcessOutput& finished, MirrorRun run) {
  if (finished.exitCode != 0) return finished.exitCode;
  if (run == MirrorRun::Copy) return 0;
  // A dry run lists one line per file it would copy or delete.
  for (const char c : finished.output)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return 1;
  return 0;
}

}  // namespace vantor
