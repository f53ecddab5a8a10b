// The /R job: swept files back where they came from.
#pragma once

#include "shell/context.h"

namespace vantor {

void RunRestoreUtility(Context& context);

}  // namespace vantor
