// Setup and uninstall: shortcuts, Explorer menus, the scaffold; the
// migration wizard and the add-on installer.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

// The migration wizard on `anchorFolder`; true when it reported success. A
// window that could not run says why on its own line.
using MigrationWizard = bool (*)(Context& context, const std::string& anchorFolder);
bool ShowMigrationWizard(Context& context, const std::string& anchorFolder);

// Without administrator rights: the scaffold, the migration wizard, the
// desktop shortcuts, then the program again elevated with /S. With them:
// the right-click menus and the Start Menu folder.
void RunSetup(Context& context);
// The same with `wizard` offered in place of ShowMigrationWizard.
void RunSetup(Context& context, MigrationWizard wizard);

// Removes the right-click menus, the desktop shortcuts and the Start Menu
// folder; asks for administrator rights with /U first when it lacks them.
void RunUninstall(Context& context);

void RunMigrationWizard(Context& context);
void InstallAddOn(Context& context);

}  // namespace vantor
