// Setup and uninstall: shortcuts, Explorer menus, the scaffold; the
// migration wizard and the add-on installer.
#pragma once

#include "shell/context.h"

namespace vantor {

void RunSetup(Context& context);
void RunUninstall(Context& context);
void RunMigrationWizard(Context& context);
void InstallAddOn(Context& context);

}  // namespace vantor
