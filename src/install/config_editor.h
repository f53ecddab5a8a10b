// The settings window behind SHIFT.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

enum class EditorMode { Launcher, Cleaner };

inline constexpr int kEditorCancelled = 0;
inline constexpr int kEditorSaved = 1;
inline constexpr int kEditorProjectRemoved = 2;

// 1 saved, 2 Special Project removed, 0 cancelled.
int OpenConfigurationEditor(Context& context, const std::string& targetFolder,
                            const std::string& anchorFolder,
                            const std::string& installedVersions, EditorMode mode);

}  // namespace vantor
