#include "install/migration_wizard.h"

#include "install/setup.h"
#include "shell/console_text.h"
#include "shell/countdown.h"
#include "shell/script_host.h"

namespace vantor {
namespace {

constexpr int kCountdownSeconds = 10;

}  // namespace

std::string FillMigrationScript(std::string_view templateText, const std::string& anchorFolder) {
  return FillPlaceholder(templateText, "%ROOT_DIR%", EncodeScriptText(anchorFolder));
}

bool ShowMigrationWizard(Context& context, const std::string& anchorFolder) {
  const auto templateText = LoadScriptTemplate(kMigrationScriptName);
  const auto migrated =
      templateText
          ? ReadMigrationResult(context.scripts.RunScript(
                FillMigrationScript(*templateText, anchorFolder), ScriptWindow::Interactive))
          : ScriptResult<bool>(templateText.error());
  if (migrated) return *migrated;
  PrintScriptError(context.console, "      ", "Migration wizard", migrated.error());
  return false;
}

void RunMigrationWizard(Context& context) {
  Console& console = context.console;
  PrintHeaderBox(console, {"Vantor Migration & Ingestion Wizard", "", std::nullopt},
                 context.Style());
  console.SetColor(color::kGrey);
  console.Write("  ");
  Print(console, color::kCyan, "[INFO] ");
  Print(console, color::kGrey, "Opening Migration Wizard...\n");
  const bool migrated = ShowMigrationWizard(context, context.anchorFolder);
  console.Write("      ");
  if (migrated)
    Print(console, color::kGreen, "[+] Migration executed successfully.\n\n");
  else
    Print(console, color::kYellow, "[-] Migration canceled. No changes were made.\n\n");
  console.SetColor(color::kGrey);
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
