// Filling and running the sweep engine template (resources/scripts).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/context.h"

namespace vantor {

inline constexpr std::string_view kSweepScriptName = "sweep_engine.ps1";

struct SweepInputs {
  std::string targetFolder;
  std::string binFolder;
  std::string logFile;
  std::int64_t keepCount = 0;  // checked whole numbers: they stand bare in the script
  std::int64_t maxDays = 0;
  std::string clutter;  // comma-joined rules
};

// The template with its six placeholders filled. Texts go in as base64 of
// their UTF-8 bytes, which the template decodes, so no folder name can be
// read as script; the two numbers go in bare.
std::string FillSweepScript(std::string_view templateText, const SweepInputs& inputs);

// Fills the template and runs it hidden while the spinner turns. Nothing
// runs when the spinner thread could not be started.
ScriptResult<SweepResult> RunSweepEngine(Context& context, const SweepInputs& inputs);

}  // namespace vantor
