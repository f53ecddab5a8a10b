#include "launcher/master_sync.h"

#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/paths.h"

namespace vantor {
namespace {

const std::vector<std::string> kKeptFiles = {kMasterFileName, kProjectFileName};

// robocopy's reading of the run; a command that could not start at all
// counts as a failure, as the command interpreter would report it.
int RunMirror(System& system, const std::string& source, const std::string& destination,
              MirrorRun run) {
  const ProgramCall call = MirrorFolderCommand(source, destination, kKeptFiles, run);
  const auto finished = system.RunProgram(call.program, call.arguments);
  return finished ? MirrorStatus(*finished, run) : 1;
}

void PrintUnreachable(Console& console, const std::string& masterPath) {
  console.Write("\n      ");
  Print(console, color::kRed, "[!] SYNC ERROR: ");
  Print(console, color::kYellow, "Master path is invalid or unreachable.\n");
  Print(console, color::kDarkGrey, "          Path: ");
  Print(console, color::kGrey, masterPath + "\n");
  Print(console, color::kDarkGrey, "          Proceeding with local environment...\n");
}

}  // namespace

std::string ReadSetupMaster(const std::string& masterFile) {
  if (!PathExists(masterFile)) return {};
  return ReadLastSetting(masterFile, "Vantor_Setup_Master");
}

void SyncWithMaster(Context& context, const std::string& anchorFolder) {
  const PathStyle style = context.Style();
  const std::string masterPath = ReadSetupMaster(JoinPath(anchorFolder, kMasterFileName, style));
  if (masterPath.empty() || masterPath == anchorFolder) return;
  if (!PathExists(masterPath)) {
    PrintUnreachable(context.console, masterPath);
    return;
  }
  const std::string home = JoinPath(anchorFolder, "Vantor_Home", style);
  if (RunMirror(context.system, masterPath, home, MirrorRun::DryRun) <= 0) return;
  context.console.Write("      ");
  Print(context.console, color::kCyan, "[*] Syncing Environment with Secure Master...\n");
  context.console.SetColor(color::kGrey);
  RunMirror(context.system, masterPath, home, MirrorRun::Copy);
}

}  // namespace vantor
