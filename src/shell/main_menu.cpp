#include <cctype>

#include "base/paths.h"
#include "base/text.h"
#include "install/setup.h"
#include "install/workspace.h"
#include "shell/console_text.h"
#include "shell/entry.h"

namespace vantor {
namespace {

constexpr int kNoKey = -1;

void PrintMenuScreen(Context& context) {
  Console& console = context.console;
  console.Clear();
  console.Write("\n");
  PrintBanner(console);
  const std::string foundation = FoundationFolderOf(context.anchorFolder);
  console.Write("  ");
  Print(console, color::kDarkGrey, "Vantor Foundation  : ");
  Print(console, color::kCyan, (foundation.empty() ? "Unknown" : foundation) + "\n");
  console.Write("  ");
  Print(console, color::kDarkGrey, "Vantor Anchor Dir  : ");
  Print(console, color::kGrey, context.anchorFolder + "\n\n");
  console.Write("  ");
  Print(console, color::kYellow, "Interactive Options:\n");
  Print(console, color::kGrey,
        "    [S] Setup        : Installs necessary folders and registers RMB actions.\n"
        "    [M] Migrate      : Run Migration Wizard to import existing configs & assets.\n"
        "    [A] Add-on       : Install an optional Vantor extension package.\n"
        "    [U] Uninstall    : Uninstalls the toolset without affecting data.\n"
        "    [H] Help         : Opens the Vantor User Manual (PDF).\n"
        "    [Q] Quit         : Close this window.\n\n");
  console.Write("  ");
  Print(console, color::kDarkGrey,
        "Advanced Command Line Flags (For Shortcuts / Registry):\n"
        "    /L   Launch      : Initiates Creo session and ensures folder maintenance.\n"
        "    /C   Clean       : Removes Clutter files and purges older file versions.\n"
        "    /R   Restore     : Executes the file restore utility.\n"
        "    /M   Migrate     : Opens the Environment Migration Wizard standalone.\n\n");
  console.SetColor(color::kGrey);
  console.Write("  Press a key to proceed [S, M, A, U, H, Q]: ");
}

// Writes the manual out of the program every time (so a damaged copy is
// repaired) and asks the shell to open it.
void OpenUserManual(Context& context) {
  const PathStyle style = context.Style();
  const std::string home = JoinPath(context.anchorFolder, "Vantor_Home", style);
  const std::string documentation = JoinPath(home, "Documentation", style);
  if (!PathExists(documentation)) CreateFolders(documentation);
  const std::string manual = JoinPath(documentation, kManualFileName, style);
  WriteEmbeddedResource(resource::kManual, manual);
  context.console.Write("  ");
  Print(context.console, color::kDarkGrey, "[*] Opening Vantor Manual...\n");
  context.console.SetColor(color::kGrey);
  if (const std::error_code error = context.system.ShellOpen(manual, "", "")) {
    context.console.Write("  ");
    Print(context.console, color::kRed,
          "[!] The manual could not be opened (" + ReasonText(error) + ").\n");
    context.console.SetColor(color::kGrey);
  }
  context.system.Sleep(1000);
}

// The key pressed, upper-cased; no key at all (input closed) counts as Q
// so the menu cannot spin.
char ReadMenuKey(System& system) {
  const int key = system.ReadKey();
  if (key == kNoKey) return 'Q';
  return static_cast<char>(std::toupper(key & 0xFF));
}

}  // namespace

void ShowMainMenu(Context& context) {
  for (;;) {
    PrintMenuScreen(context);
    const char key = ReadMenuKey(context.system);
    switch (key) {
      case 'A':
      case 'H':
      case 'M':
        context.console.Write(std::string(1, key) + "\n\n");
        if (key == 'A') InstallAddOn(context);
        if (key == 'H') OpenUserManual(context);
        if (key == 'M') RunMigrationWizard(context);
        break;
      case 'S':
      case 'U':
      case 'Q':
        context.console.Write(std::string(1, key) + "\n");
        if (key == 'S') RunSetup(context);
        if (key == 'U') RunUninstall(context);
        return;
      default:
        break;
    }
  }
}

}  // namespace vantor
