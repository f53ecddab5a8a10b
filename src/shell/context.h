// What a job receives: where it prints, the operating system, the script
// host and the folder of the executable. main builds the real ones; tests
// build fakes, so two jobs can run side by side.
#pragma once

#include <string>

#include "platform/platform.h"
#include "shell/script_host.h"

namespace vantor {

inline constexpr const char* kVersionText = "5.3";

struct Context {
  Console& console;
  System& system;
  ScriptHost& scripts;
  std::string anchorFolder;  // the folder of the executable

  PathStyle Style() const { return system.Style(); }
};

}  // namespace vantor
