#include "maintenance/sweep_engine.h"

#include "maintenance/spinner.h"
#include "shell/script_host.h"

namespace vantor {

std::string FillSweepScript(std::string_view templateText, const SweepInputs& inputs) {
  std::string text =
      FillPlaceholder(templateText, "%TARGET_DIR%", EncodeScriptText(inputs.targetFolder));
  text = FillPlaceholder(text, "%RECYCLE_DIR%", EncodeScriptText(inputs.binFolder));
  text = FillPlaceholder(text, "%LOG_FILE%", EncodeScriptText(inputs.logFile));
  text = FillPlaceholder(text, "%CP_KEEP_N%", std::to_string(inputs.keepCount));
  text = FillPlaceholder(text, "%CP_MAX_DAYS%", std::to_string(inputs.maxDays));
  return FillPlaceholder(text, "%CP_CLUTTER%", EncodeScriptText(inputs.clutter));
}

ScriptResult<SweepResult> RunSweepEngine(Context& context, const SweepInputs& inputs) {
  const auto templateText = LoadScriptTemplate(kSweepScriptName);
  if (!templateText) return templateText.error();
  const std::string script = FillSweepScript(*templateText, inputs);
  Spinner spinner(context.console);
  if (const std::error_code error = spinner.Start()) return NotStarted(error, "the spinner thread");
  const auto run = context.scripts.RunScript(script, ScriptWindow::Hidden);
  spinner.Stop();
  return ReadSweepResult(run);
}

}  // namespace vantor
