#include "maintenance/folder_maintenance.h"
#include "shell/not_available.h"

namespace vantor {

void RunFolderMaintenance(Context& context, const std::string&, MaintenanceMode,
                          SweepSwitch) {
  ReportNotAvailable(context);
}

}  // namespace vantor
