// The add-on installer is not part of this build yet: the menu says so.
#include "install/setup.h"
#include "shell/not_available.h"

namespace vantor {

void InstallAddOn(Context& context) { ReportNotAvailable(context); }

}  // namespace vantor
