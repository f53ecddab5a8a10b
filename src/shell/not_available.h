// What a job that this build does not carry says instead.
#pragma once

#include "shell/context.h"

namespace vantor {

// "[!] Not available in this build." in colour 12, then a second's pause so
// the line can be read before a menu redraws.
void ReportNotAvailable(Context& context);

}  // namespace vantor
