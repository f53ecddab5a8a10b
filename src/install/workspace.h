// The scaffold beside the executable and the files written out of the
// program's own resources.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vantor {

namespace resource {
inline constexpr int kLocalConfig = 107;
inline constexpr int kProjectTemplate = 108;
inline constexpr int kMasterTemplate = 109;
inline constexpr int kExampleConfig = 110;
inline constexpr int kExampleMapkeys = 111;
inline constexpr int kManual = 112;
}  // namespace resource

inline constexpr const char* kManualFileName = "Vantor_Env_Mgr_Read_Me.pdf";

// Writes resource `number` to `filePath`, replacing any file there. False
// when there is no such resource or the file cannot be opened.
bool WriteEmbeddedResource(int number, const std::string& filePath);

// Vantor_Home with Settings, Templates and Documentation, and the template
// files that are missing. Never fails outwardly; prints what it did.
void BuildWorkspaceScaffold(Console& console, const std::string& anchorFolder,
                            const std::string& foundationFolder, PathStyle style);

}  // namespace vantor
