#include "launcher/launcher.h"
#include "shell/not_available.h"

namespace vantor {

void RunLauncher(Context& context, const std::string&) { ReportNotAvailable(context); }

}  // namespace vantor
