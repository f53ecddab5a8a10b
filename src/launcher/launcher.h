// The /L job: Creo started on a folder with a managed environment.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

void RunLauncher(Context& context, const std::string& targetArgument);

}  // namespace vantor
