#include "launcher/legacy_decision.h"

#include <algorithm>

#include "base/text.h"
#include "launcher/special_project.h"
#include "shell/console_text.h"
#include "shell/script_host.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr int kNoKey = -1;
constexpr int kQuitPauseMs = 400;

// Data older than any numbered Creo (or of a version no mark tells) is asked
// about as version 0: every installed version is newer.
std::string DataLabel(int dataVersion) {
  return dataVersion > 0 ? "CP " + std::to_string(dataVersion) : "pre-Creo";
}

// Version numbers stand in a field of two, followed by one space.
std::string VersionField(int version) { return PadRight(std::to_string(version), 2); }

void PrintIncompatible(Console& console, int dataVersion, int chosenVersion) {
  console.Write("\n  ");
  Print(console, color::kRed, "[!] INCOMPATIBLE DATA: ");
  Print(console, color::kYellow, "This folder contains ");
  Print(console, color::kCyan, DataLabel(dataVersion) + " ");
  Print(console, color::kYellow, "models.\n");
  console.Write("  ");
  Print(console, color::kRed, "        Your active max version is limited to ");
  Print(console, color::kCyan, "CP " + std::to_string(chosenVersion) + ".\n\n");
  console.Write("  ");
  Print(console, color::kYellow,
        "[!] CP is not backwards compatible. You cannot open newer models.\n");
  console.SetColor(color::kGrey);
}

void PrintLegacyWarning(Console& console, int dataVersion) {
  console.Write("\n      ");
  Print(console, color::kRed, "[!] LEGACY DATA DETECTED: ");
  Print(console, color::kYellow, "This folder contains ");
  Print(console, color::kCyan, DataLabel(dataVersion));
  Print(console, color::kYellow, " models.\n");
  console.Write("          ");
  Print(console, color::kYellow, "Remember: Model version upgrade is irreversible.\n");
  console.Write("\n    ");
  Print(console, color::kCyan, "[DECISION] ");
  Print(console, color::kGreen, "How to proceed with these legacy models?\n\n");
}

struct Menu {
  bool offerPreserve = false;
  bool listAlternates = false;
  std::vector<int> alternates;
  std::string keyList;
};

Menu MenuFor(const LegacyOptions& options, bool anchorTarget) {
  Menu menu;
  menu.offerPreserve = !anchorTarget && options.exactInstalled;
  menu.listAlternates = !anchorTarget && !options.alternates.empty();
  menu.alternates = options.alternates;
  std::vector<std::string> keys{"U"};
  if (menu.offerPreserve) keys.emplace_back("P");
  if (menu.listAlternates)
    for (std::size_t i = 1; i <= menu.alternates.size(); ++i) keys.push_back(std::to_string(i));
  keys.emplace_back("Q");
  for (const auto& key : keys) menu.keyList.append(menu.keyList.empty() ? "" : ", ").append(key);
  return menu;
}

void PrintChoices(Console& console, const Menu& menu, int dataVersion, int chosenVersion,
                  bool anchorTarget) {
  Print(console, color::kYellow, "      [U] Upgrade  - ");
  Print(console, color::kDarkCyan, "Launch CP " + VersionField(chosenVersion) + " ");
  Print(console, color::kGrey, "(Latest Approved version, Upgrade upon save)\n");
  if (anchorTarget) {
    Print(console, color::kDarkGrey,
          "      [-] Preserve - Disabled (Cannot isolate the Vantor Anchor folder)\n");
  } else if (menu.offerPreserve) {
    Print(console, color::kYellow, "      [P] Preserve - ");
    Print(console, color::kDarkCyan, "Launch CP " + VersionField(dataVersion) + " ");
    Print(console, color::kGrey, "(Designate folder as Special Project)\n");
  }
  Print(console, color::kYellow, "      [Q] Quit     ");
  Print(console, color::kGrey, "- Abort launch\n\n");
  if (!menu.listAlternates) return;
  console.Write("      ");
  Print(console, color::kDarkGrey, "--- Alternate \"Special Project\" options --- \n");
  for (std::size_t i = 0; i < menu.alternates.size(); ++i)
    console.Write("      [" + std::to_string(i + 1) + "] Launch CP " +
                  VersionField(menu.alternates[i]) + " (Upgrade upon save)\n");
  console.Write("\n");
}

void PrintAborted(Context& context) {
  context.console.Write("\n\n      ");
  Print(context.console, color::kYellow, "[!] Launch aborted to protect legacy data.\n\n");
  context.console.SetColor(color::kGrey);
  context.system.Sleep(kQuitPauseMs);
}

int UpperKey(int key) { return key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key; }

// The alternate a digit key picks, or 0.
int AlternateFor(const Menu& menu, int key) {
  if (!menu.listAlternates || key < '1' || key > '9') return 0;
  const std::size_t index = static_cast<std::size_t>(key - '1');
  return index < menu.alternates.size() ? menu.alternates[index] : 0;
}

LegacyChoice ReadChoice(Context& context, const Menu& menu, int dataVersion, int chosenVersion) {
  Console& console = context.console;
  for (;;) {
    console.SetColor(color::kGrey);
    const int key = UpperKey(context.system.ReadKey());
    // Input that has ended can never answer: leave as Quit does.
    if (key == kNoKey) {
      PrintAborted(context);
      return {StepResult::Quit, 0, false};
    }
    console.Write(std::string(1, static_cast<char>(key)));
    if (key == 'Q') {
      PrintAborted(context);
      return {StepResult::Quit, 0, false};
    }
    if (key == 'U') {
      console.Write("\n");
      return {StepResult::Continue, chosenVersion, false};
    }
    if (key == 'P' && menu.offerPreserve) {
      console.Write("\n");
      return {StepResult::Continue, dataVersion, true};
    }
    if (const int alternate = AlternateFor(menu, key)) {
      console.Write("\n");
      return {StepResult::Continue, alternate, true};
    }
    console.Write("\n          ");
    Print(console, color::kRed, "[!] Invalid choice. ");
    Print(console, color::kYellow, "Select [" + menu.keyList + "]: ");
  }
}

}  // namespace

LegacyOptions LegacyOptionsFor(int dataVersion, int chosenVersion, int latestVersion,
                               const std::string& otherVersionsText) {
  std::vector<int> installed;
  if (otherVersionsText != "NONE")
    for (const auto& field : SplitFields(otherVersionsText, ','))
      if (const auto version = LeadingNumber(field)) installed.push_back(*version);
  installed.push_back(latestVersion);
  LegacyOptions options;
  for (const int version : installed) {
    if (version == dataVersion && dataVersion > 0) options.exactInstalled = true;
    if (version > dataVersion) options.alternates.push_back(version);
  }
  std::erase(options.alternates, chosenVersion);
  std::sort(options.alternates.begin(), options.alternates.end());
  return options;
}

LegacyChoice LegacyDecision(Context& context, int dataVersion, int chosenVersion, int latestVersion,
                            const std::string& otherVersionsText, bool anchorTarget) {
  Console& console = context.console;
  PrintLegacyWarning(console, dataVersion);
  const Menu menu = MenuFor(
      LegacyOptionsFor(dataVersion, chosenVersion, latestVersion, otherVersionsText), anchorTarget);
  PrintChoices(console, menu, dataVersion, chosenVersion, anchorTarget);
  Print(console, color::kGrey, "          ");
  Print(console, color::kYellow, "Select [" + menu.keyList + "]: ");
  return ReadChoice(context, menu, dataVersion, chosenVersion);
}

StepResult CheckDataVersion(Context& context, LaunchState& state) {
  const ProbeResult& probe = state.probe;
  const int chosen = state.chosenVersion;
  const bool creoData = probe.data == ModelData::Creo;
  if (creoData && chosen < probe.dataVersion) {
    PrintIncompatible(context.console, probe.dataVersion, chosen);
    return StepResult::Ended;
  }
  if (probe.data == ModelData::None || (creoData && probe.dataVersion == chosen) ||
      state.lockedBySpecialProject)
    return StepResult::Continue;
  // Predecessor data, and models whose version no mark tells, are asked
  // about as "pre-Creo" data (version 0): every Creo opens them, but the
  // upgrade cannot be undone.
  const int asked = creoData ? probe.dataVersion : 0;
  const LegacyChoice choice =
      LegacyDecision(context, asked, chosen, probe.latestVersion, probe.otherVersionsText,
                     state.targetFolder == state.anchorFolder);
  if (choice.result != StepResult::Continue) return choice.result;
  if (choice.generateProject) GenerateSpecialProject(context, state.targetFolder, choice.version);
  state.chosenVersion = choice.version;
  return StepResult::Continue;
}

}  // namespace vantor
