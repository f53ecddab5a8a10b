// Which Creo versions are installed, and under which PTC root folders.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

inline constexpr const char* kCreoRegistryKey = "SOFTWARE\\PTC\\PTC Creo Parametric";

// The PTC roots: for each sub-key of the Creo registry key, in registry
// order, the folder above the "Creo " or "PROE " folder that holds its
// InstallLocation; each once. With none, ProgramFiles + "\PTC" (or
// "C:\Program Files\PTC") when that folder exists.
std::vector<std::string> FindPtcRoots(System& system);

struct CreoInstallations {
  int latest = 0;           // 0 when none
  std::vector<int> others;  // ascending, without the latest
};

// The major versions of the "Creo *" folders of the roots that hold
// Parametric\bin\parametric.exe ("Creo 10.0.2.0" is 10). A folder whose
// name gives no number is skipped; a root that cannot be listed gives none.
CreoInstallations ScanCreoInstallations(const std::vector<std::string>& roots, PathStyle style);

// The roots joined with "*", or "NONE".
std::string RootsText(const std::vector<std::string>& roots);
// The other versions joined with ",", or "NONE".
std::string OtherVersionsText(const CreoInstallations& installations);

}  // namespace vantor
