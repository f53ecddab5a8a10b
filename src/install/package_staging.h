// Unpacking an add-on package where it cannot harm anything: its own zip
// directory is checked first, then it is unpacked into a fresh folder of its own inside
// Vantor_Home and the unpacked tree is checked again without following
// links. Only a package that passes both leaves a staging folder behind.
#pragma once

#include <cstdint>
#include <string>

#include "shell/context.h"

namespace vantor {

enum class StageOutcome {
  Staged,
  TarMissing,     // tar could not be started
  Corrupt,        // not a zip archive, or tar could not read it
  OutsideFolder,  // an absolute, drive or ".." entry
  LinkOrDevice,   // a link, hard link, device, pipe or socket
  TooLarge,       // expands past ExpansionLimit
  NoStagingFolder,
};

struct StagedPackage {
  StageOutcome outcome = StageOutcome::Staged;
  std::string folder;       // the staging folder, when staged
  std::string entry;        // the refused entry
  std::uint64_t limit = 0;  // the expansion limit applied
  std::string reason = {};  // the system's, when tar or the folder failed
};

StagedPackage StagePackage(Context& context, const std::string& archive, const std::string& home);

// Removes a staging folder and all below it; links inside are removed, not
// followed.
void DiscardStaging(const std::string& folder);

}  // namespace vantor
