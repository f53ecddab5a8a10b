// The message shown when a job lets an unexpected error escape.
#pragma once

#include "platform/platform.h"

namespace vantor {

// `message` is the error's own text; null for an error without one.
void PrintFatalError(Console& console, const char* message);

}  // namespace vantor
