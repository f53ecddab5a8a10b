#include "install/setup.h"
#include "shell/not_available.h"

namespace vantor {

void RunSetup(Context& context) { ReportNotAvailable(context); }
void RunUninstall(Context& context) { ReportNotAvailable(context); }
void RunMigrationWizard(Context& context) { ReportNotAvailable(context); }
void InstallAddOn(Context& context) { ReportNotAvailable(context); }

}  // namespace vantor
