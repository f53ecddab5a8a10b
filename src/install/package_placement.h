// Moving a staged add-on package into Vantor_Home. A file of Vantor_Home
// that the package would replace goes into the sweep bin first, with its
// history line, so the restore window can bring it back.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

enum class PlaceOutcome {
  Placed,
  LinkInHome,      // a target in Vantor_Home is a link or special file
  FolderInTheWay,  // Vantor_Home has a folder where the package has a file
  NotBinned,       // a file to be replaced could not be put into the bin
  MoveFailed,
};

struct Placement {
  PlaceOutcome outcome = PlaceOutcome::Placed;
  std::string path;         // the Vantor_Home path that stopped it
  std::string reason = {};  // why, when the system said
};

// The staged entry named `name` at the top of `staging` ("Integration"),
// letter case ignored for Windows paths; empty when there is none.
std::string StagedTopFolder(const std::string& staging, const std::string& name, PathStyle style);

// True when `path` itself is a link (or junction): never read or written
// through.
bool IsLink(const std::string& path);

// Everything staged except the top folder `skipped` moves into `home`.
// Every target is checked before the first move, so a refusal changes
// nothing.
Placement PlaceStagedPackage(Context& context, const std::string& staging, const std::string& home,
                             const std::string& skipped);

}  // namespace vantor
