#include "launcher/editor_shortcut.h"

#include "base/paths.h"
#include "launcher/launch_screens.h"
#include "launcher/special_project.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

constexpr int kNoKey = -1;

void PrintChoice(Console& console) {
  console.Write("      ");
  Print(console, color::kCyan,
        "[+] [SHIFT] key detected. Entering Vantor Configuration Editor\n\n");
  Print(console, color::kGrey,
        "      [B] Edit Baseline Vantor Configuration settings\n"
        "      [S] Edit Special Project Configuration Variance\n");
  Print(console, color::kDarkGrey,
        "          Target folder will be designated as a Special Project with a Unique and "
        "Independent User Environment.\n"
        "          (VantorSP.ini, and VantorSP_UserEnv folder for custom UI and Windchill "
        "cache)\n\n");
  Print(console, color::kGrey, "      Action [B/S]: ");
}

// B or S; input that has ended takes the baseline.
char ReadBaselineOrProject(System& system) {
  for (;;) {
    const int key = system.ReadKey();
    if (key == kNoKey || key == 'b' || key == 'B') return 'B';
    if (key == 's' || key == 'S') return 'S';
  }
}

void ChooseWhatToEdit(Context& context, const LaunchState& state) {
  Console& console = context.console;
  PrintChoice(console);
  const char choice = ReadBaselineOrProject(context.system);
  console.Write(std::string(1, choice) + "\n\n");
  console.Write("      ");
  if (choice == 'S') {
    DesignateSpecialProject(state.projectFile);
    Print(console, color::kGreen, "[+] Special Project designated. Opening Editor...\n");
  } else {
    Print(console, color::kCyan, "[*] Opening Baseline Editor...\n");
  }
  console.SetColor(color::kGrey);
}

void PrintProjectDetected(Console& console) {
  console.Write("      ");
  Print(console, color::kCyan,
        "[+] [SHIFT] key detected.\n"
        "      Target folder is Vantor Special Project. Opening Special Project Configuration "
        "Variance...\n");
  console.SetColor(color::kGrey);
}

void PrintEditorOutcome(Console& console, int result) {
  if (result == kEditorSaved)
    Print(console, color::kGreen, "    [+] Settings updated. Resuming launch sequence...\n");
  else if (result == kEditorProjectRemoved)
    Print(console, color::kGreen, "    [+] Special Project removed. Resuming standard launch...\n");
  else
    Print(console, color::kYellow, "    [-] Edit canceled. Resuming launch sequence...\n");
  console.SetColor(color::kGrey);
}

}  // namespace

void RunEditorShortcut(Context& context, const LaunchState& state, const LauncherHooks& hooks) {
  Console& console = context.console;
  if (PathExists(state.projectFile))
    PrintProjectDetected(console);
  else
    ChooseWhatToEdit(context, state);
  const int result = hooks.openEditor(context, state.targetFolder, state.anchorFolder,
                                      state.installedVersions, EditorMode::Launcher);
  // A window that never showed has said why (no PowerShell, say): keep
  // that line on the screen rather than clear it away.
  if (result != kEditorFailed) {
    console.Clear();
    PrintLauncherBanner(console, state.targetFolder, context.Style());
  }
  ClearLine(console, 70);
  console.Write("  ");
  PrintEditorOutcome(console, result);
}

}  // namespace vantor
