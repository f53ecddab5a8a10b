// Models newer than the chosen Creo stop the launch; older ones make the
// user choose between upgrading them, keeping their version in a Special
// Project, and quitting.
#pragma once

#include <string>
#include <vector>

#include "launcher/launch_state.h"

namespace vantor {

struct LegacyChoice {
  StepResult result = StepResult::Continue;
  int version = 0;               // the version to start
  bool generateProject = false;  // P or an alternate was chosen
};

struct LegacyOptions {
  std::vector<int> alternates;  // ascending, newer than the data, without the chosen one
  bool exactInstalled = false;  // the data's own version is installed
};

LegacyOptions LegacyOptionsFor(int dataVersion, int chosenVersion, int latestVersion,
                               const std::string& otherVersionsText);

// The prompt and its answer. `anchorTarget`: the folder is the anchor
// folder, which cannot become a Special Project. A data version of 0 asks
// about "pre-Creo" data, which has no version of its own to preserve.
LegacyChoice LegacyDecision(Context& context, int dataVersion, int chosenVersion, int latestVersion,
                            const std::string& otherVersionsText, bool anchorTarget);

// Refuses newer data, asks about older data (and about models of unknown
// version, as "pre-Creo" data) unless a Special Project locks the version;
// generates the Special Project the user asked for.
StepResult CheckDataVersion(Context& context, LaunchState& state);

}  // namespace vantor
