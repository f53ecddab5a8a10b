#include "launcher/master_sync.h"

#include <filesystem>

#include "base/paths.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/path_relation.h"

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

void PrintSyncError(Console& console, std::string_view reason, const std::string& masterPath) {
  console.Write("\n      ");
  Print(console, color::kRed, "[!] SYNC ERROR: ");
  Print(console, color::kYellow, std::string(reason) + "\n");
  Print(console, color::kDarkGrey, "          Path: ");
  Print(console, color::kGrey, masterPath + "\n");
  Print(console, color::kDarkGrey, "          Proceeding with local environment...\n");
}

// The folder a path really names, links and junctions followed; the path
// itself when that cannot be told.
std::string RealFolder(const std::string& path) {
  std::error_code ec;
  const auto real = std::filesystem::weakly_canonical(ToFsPath(path), ec);
  return ec ? path : FromFsPath(real);
}

// How the master lies to the anchor, by its spelling and by the folders
// both really name.
PathRelation MasterRelation(Context& context, const std::string& master,
                            const std::string& anchor) {
  const PathStyle style = context.Style();
  const std::string base = context.system.CurrentDirectory();
  const PathRelation spelled = RelationOf(master, anchor, base, style);
  if (spelled != PathRelation::Separate) return spelled;
  return RelationOf(RealFolder(master), RealFolder(anchor), base, style);
}

// A mirror between overlapping folders would copy the anchor into its own
// Vantor_Home and delete what the master lacks: Settings, Library, the bin.
std::string_view OverlapReason(PathRelation relation) {
  switch (relation) {
    case PathRelation::Same:
      return "Master path is the Vantor folder itself.";
    case PathRelation::FirstInsideSecond:
      return "Master path lies inside the Vantor folder.";
    case PathRelation::SecondInsideFirst:
      return "Master path contains the Vantor folder.";
    case PathRelation::Separate:
      break;
  }
  return {};
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
    PrintSyncError(context.console, "Master path is invalid or unreachable.", masterPath);
    return;
  }
  const PathRelation relation = MasterRelation(context, masterPath, anchorFolder);
  if (relation != PathRelation::Separate) {
    PrintSyncError(context.console, OverlapReason(relation), masterPath);
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
