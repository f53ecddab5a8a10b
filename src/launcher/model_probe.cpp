#include "launcher/model_probe.h"

#include "shell/script_host.h"
#include "shell/whole_number.h"

namespace vantor {

std::string FillProbeScript(std::string_view templateText, const std::string& targetFolder) {
  return FillPlaceholder(templateText, "%TARGET_DIR%", EncodeScriptText(targetFolder));
}

ProbeResult ParseProbeResult(const std::string& resultLine) {
  ProbeResult probe;
  const auto fields = SplitFields(resultLine, '|');
  if (fields.size() < 6 || fields[0] != "X") return probe;
  if (const auto data = LeadingNumber(fields[1])) {
    probe.dataVersion = *data;
    probe.latestVersion = LeadingNumber(fields[3]).value_or(0);
  }
  probe.rootsText = fields[2];
  probe.otherVersionsText = fields[5];
  return probe;
}

ProbeResult RunModelProbe(Context& context, const std::string& targetFolder) {
  const auto templateText = EmbeddedScript(kProbeScriptName);
  if (!templateText) return {};
  const std::string script = FillProbeScript(*templateText, targetFolder);
  return ParseProbeResult(context.scripts.RunScript(script, ScriptWindow::Hidden));
}

std::string InstalledVersionsText(const ProbeResult& probe) {
  std::string text = std::to_string(probe.latestVersion);
  if (!probe.otherVersionsText.empty() && probe.otherVersionsText != "NONE")
    text += "," + probe.otherVersionsText;
  return text;
}

}  // namespace vantor
