#include "install/config_editor.h"

#include "base/paths.h"
#include "shell/script_host.h"

namespace vantor {
namespace {

constexpr std::string_view kProjectFileName = "VantorSP.ini";
constexpr std::string_view kMasterFileName = "Vantor.ini";

std::string ModeLabel(bool specialProject, EditorMode mode) {
  const bool cleaner = mode == EditorMode::Cleaner;
  if (specialProject) return cleaner ? "Special Project Cleaner" : "Special Project Variance";
  return cleaner ? "Master Cleaner Settings" : "Baseline Settings";
}

ScriptResult<int> ShowEditor(Context& context, const std::string& targetFolder,
                             const std::string& anchorFolder, const std::string& installedVersions,
                             EditorMode mode) {
  const auto templateText = LoadScriptTemplate(kEditorScriptName);
  if (!templateText) return templateText.error();
  const EditorTarget target = ChooseEditorTarget(targetFolder, anchorFolder, mode, context.Style());
  const std::string masterIni = JoinPath(anchorFolder, kMasterFileName, context.Style());
  const std::string script =
      FillEditorScript(*templateText, target, installedVersions, masterIni, mode);
  return ReadEditorResult(context.scripts.RunScript(script, ScriptWindow::Interactive));
}

}  // namespace

EditorTarget ChooseEditorTarget(const std::string& targetFolder, const std::string& anchorFolder,
                                EditorMode mode, PathStyle style) {
  const std::string projectFile = JoinPath(targetFolder, kProjectFileName, style);
  if (PathExists(projectFile))
    return {projectFile, ModeLabel(true, mode), std::string(kProjectFileName)};
  return {JoinPath(anchorFolder, kMasterFileName, style), ModeLabel(false, mode),
          std::string(kMasterFileName)};
}

std::string FillEditorScript(std::string_view templateText, const EditorTarget& target,
                             const std::string& installedVersions, const std::string& masterIni,
                             EditorMode mode) {
  std::string script(templateText);
  script = FillPlaceholder(script, "%INI_PATH%", EncodeScriptText(target.iniPath));
  script = FillPlaceholder(script, "%MODE_LABEL%", EncodeScriptText(target.modeLabel));
  script = FillPlaceholder(script, "%FILE_LABEL%", EncodeScriptText(target.fileLabel));
  script = FillPlaceholder(script, "%INSTALLED_VERSIONS%", EncodeScriptText(installedVersions));
  script = FillPlaceholder(script, "%MASTER_INI%", EncodeScriptText(masterIni));
  return FillPlaceholder(script, "%IS_CLEANER_MODE%",
                         mode == EditorMode::Cleaner ? "$true" : "$false");
}

int OpenConfigurationEditor(Context& context, const std::string& targetFolder,
                            const std::string& anchorFolder, const std::string& installedVersions,
                            EditorMode mode) {
  const auto answer = ShowEditor(context, targetFolder, anchorFolder, installedVersions, mode);
  if (answer) return *answer;
  // On a line of its own: the caller may have left its notice open.
  PrintScriptError(context.console, "\n      ", "Configuration editor", answer.error());
  return kEditorFailed;
}

}  // namespace vantor
