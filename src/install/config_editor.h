// The settings window behind SHIFT.
#pragma once

#include <string>
#include <string_view>

#include "shell/context.h"

namespace vantor {

enum class EditorMode { Launcher, Cleaner };

inline constexpr std::string_view kEditorScriptName = "config_editor.ps1";

// The file the window edits and the names it shows for it.
struct EditorTarget {
  std::string iniPath;
  std::string modeLabel;
  std::string fileLabel;
};

// The folder's VantorSP.ini when one exists there, the master Vantor.ini
// of the anchor folder otherwise.
EditorTarget ChooseEditorTarget(const std::string& targetFolder, const std::string& anchorFolder,
                                EditorMode mode, PathStyle style);

// The editor template with its six placeholders filled; every text goes in
// as base64, so a path with an apostrophe stays data.
std::string FillEditorScript(std::string_view templateText, const EditorTarget& target,
                             const std::string& installedVersions, const std::string& masterIni,
                             EditorMode mode);

// 1 saved, 2 Special Project removed (kEditorSaved, ...), 0 cancelled; a
// window that could not run says why on its own line and counts as
// cancelled. Blocks until the window closes.
int OpenConfigurationEditor(Context& context, const std::string& targetFolder,
                            const std::string& anchorFolder, const std::string& installedVersions,
                            EditorMode mode);

}  // namespace vantor
