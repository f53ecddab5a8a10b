// The migration wizard and the add-on installer are not part of this build
// yet: the menu says so, and Setup goes on with a clean environment.
#include "install/setup.h"
#include "shell/not_available.h"

namespace vantor {

bool ShowMigrationWizard(Context&, const std::string&) { return false; }
void RunMigrationWizard(Context& context) { ReportNotAvailable(context); }
void InstallAddOn(Context& context) { ReportNotAvailable(context); }

}  // namespace vantor
