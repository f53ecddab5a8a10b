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

bool MigrationSucceeded(std::string_view output) {
  return output.size() >= 4 && output.find("X|OK") != std::string_view::npos;
}

bool ShowMigrationWizard(Context& context, const std::string& anchorFolder) {
  const auto templateText = EmbeddedScript(kMigrationScriptName);
  if (!templateText) return false;
  const std::string script = FillMigrationScript(*templateText, anchorFolder);
  return MigrationSucceeded(context.scripts.RunScript(script, ScriptWindow::Interactive));
}

void RunMigrationWizard(Context& context) {
  Console& console = context.console;
  PrintHeaderBox(console, {"Vantor Migration & Ingestion Wizard", "", std::nullopt},
                 context.Style());
  console.SetColor(color::kGrey);
  console.Write("  ");
  Print(console, color::kCyan, "[INFO] ");
  Print(console, color::kGrey, "Opening Migration Wizard...\n");
  console.Write("      ");
  if (ShowMigrationWizard(context, context.anchorFolder))
    Print(console, color::kGreen, "[+] Migration executed successfully.\n\n");
  else
    Print(console, color::kYellow, "[-] Migration canceled. No changes were made.\n\n");
  console.SetColor(color::kGrey);
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
