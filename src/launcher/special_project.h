// Special Projects: folders with their own VantorSP.ini, their own Creo
// settings root and a local config.pro.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

inline constexpr const char* kProjectUserEnvName = "VantorSP_UserEnv";
inline constexpr const char* kLocalConfigName = "config.pro";

// At launch, for a folder that holds a VantorSP.ini: the project user
// environment, and the local config.pro template when there is none.
void PrepareSpecialProject(Context& context, const std::string& targetFolder);

// Makes the folder a Special Project locked to `version`.
void GenerateSpecialProject(Context& context, const std::string& targetFolder, int version);

// [S] of the editor shortcut: the VantorSP.ini template, or a file holding
// one line break when the template cannot be written.
void DesignateSpecialProject(const std::string& projectFile);

}  // namespace vantor
