#include "platform/platform.h"

namespace vantor {

ProgramCall MirrorFolderCommand(const std::string& source, const std::string& destination,
                                const std::vector<std::string>& excludedNames, MirrorRun run) {
  // Paths go as arguments of their own: a trailing "\" or a space cannot
  // change the command, and no command interpreter reads them.
  ProgramCall call{"robocopy", {source, destination, "/MIR", "/XO", "/XF"}};
  call.arguments.insert(call.arguments.end(), excludedNames.begin(), excludedNames.end());
  if (run == MirrorRun::DryRun) call.arguments.push_back("/L");
  for (const char* option : {"/NJH", "/NJS", "/NDL", "/NC", "/NS", "/NP", "/R:0", "/W:0"})
    call.arguments.push_back(option);
  return call;
}

int MirrorStatus(const ProcessOutput& finished, MirrorRun) { return finished.exitCode; }

}  // namespace vantor
