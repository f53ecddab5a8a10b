#include "maintenance/restore_utility.h"
#include "shell/not_available.h"

namespace vantor {

void RunRestoreUtility(Context& context) { ReportNotAvailable(context); }

}  // namespace vantor
