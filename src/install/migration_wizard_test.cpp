#include "install/migration_wizard.h"

#include <gtest/gtest.h>

#include "install/install_test_support.h"
#include "install/setup.h"
#include "shell/entry.h"

namespace vantor {
namespace {

using testing::Canonical;
using testing::InstallWorld;

std::string WizardBox() {
  const std::string rule = RepeatText(box::kDouble, box::kInnerWidth);
  return "{8}  " + std::string(box::kTopLeft) + rule + std::string(box::kTopRight) + "\n  " +
         std::string(box::kSide) + " {11}Vantor Migration & Ingestion Wizard{8}" +
         std::string(58 - 35, ' ') + " " + std::string(box::kSide) + "\n  " +
         std::string(box::kBottomLeft) + rule + std::string(box::kBottomRight) + "\n";
}

TEST(MigrationScript, AnchorGoesInAsBase64Everywhere) {
  const std::string anchor = "C:\\O'Brien \u2019$(Remove-Item x)\\Vantor";
  const std::string script = FillMigrationScript("a '%ROOT_DIR%' b '%ROOT_DIR%'", anchor);
  const std::string encoded = EncodeScriptText(anchor);
  EXPECT_EQ(script, "a '" + encoded + "' b '" + encoded + "'");

  const auto templateText = EmbeddedScript(kMigrationScriptName);
  ASSERT_TRUE(templateText);
  const std::string filled = FillMigrationScript(*templateText, anchor);
  EXPECT_EQ(filled.find("%ROOT_DIR%"), std::string::npos);
  EXPECT_NE(filled.find("ConvertFrom-VantorText '" + encoded + "'"), std::string::npos);
}

TEST(MigrationWizardJob, ExecutedMigrationPrintsSuccessAndRunsTheWindowInteractively) {
  InstallWorld install;
  install.world.scripts.results = {"X|OK"};
  RunMigrationWizard(install.world.context);
  EXPECT_EQ(install.Output(),
            Canonical(WizardBox() + "{7}  {11}[INFO] {7}Opening Migration Wizard...\n" +
                      "      {10}[+] Migration executed successfully.\n\n{7}"));
  EXPECT_EQ(install.world.console.color(), color::kGrey);
  ASSERT_EQ(install.world.scripts.scripts.size(), 1u);
  const auto& [script, window] = install.world.scripts.scripts[0];
  EXPECT_EQ(window, ScriptWindow::Interactive);
  EXPECT_NE(script.find("'" + EncodeScriptText(install.anchor) + "'"), std::string::npos);
}

TEST(MigrationWizardJob, SkippedOrFailedWindowPrintsCanceled) {
  const std::pair<std::string, std::string> cases[] = {
      {"X|Cancel", ""},
      {"", "      {12}[ERROR] Migration wizard failed: no result line (no output).\n{7}"},
  };
  for (const auto& [result, error] : cases) {
    InstallWorld install;
    install.world.scripts.results = {result};
    RunMigrationWizard(install.world.context);
    EXPECT_EQ(install.Output(),
              Canonical(WizardBox() + "{7}  {11}[INFO] {7}Opening Migration Wizard...\n" + error +
                        "      {14}[-] Migration canceled. No changes were made.\n\n{7}"))
        << result;
  }
}

TEST(MigrationWizardJob, EndsWithTheTenSecondCountdown) {
  InstallWorld install;
  testing::WriteFile(install.dir / "cwd/VantorSP.ini", "CP_Countdown=Normal\r\n");
  RunMigrationWizard(install.world.context);
  EXPECT_NE(install.world.console.Text().find("No changes were made.\n\n  "), std::string::npos);
  EXPECT_GE(install.world.system.sleptMs, 10000);
  EXPECT_LT(install.world.system.sleptMs, 11000);
}

TEST(MigrationWizardJob, SetupRunsTheSameWindowOnItsAnchor) {
  InstallWorld install;
  install.world.scripts.results = {"X|OK"};
  RunSetup(install.world.context);
  ASSERT_FALSE(install.world.scripts.scripts.empty());
  EXPECT_NE(install.world.scripts.scripts[0].first.find(EncodeScriptText(install.anchor)),
            std::string::npos);
  EXPECT_NE(install.Output().find("[+] Legacy environment migrated successfully.\n\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vantor
