// The program's entry: start-up guards, flag dispatch and the menu.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/context.h"

namespace vantor {

// The module path without its file name, trailing separators stripped.
std::string AnchorFolderOf(const std::string& modulePath);
// The anchor folder's parent; empty when it has none.
std::string FoundationFolderOf(const std::string& anchorFolder);

// True when the executable runs straight out of an archive unpacked into
// the temporary folder.
bool IsRunningFromArchive(const std::string& modulePath, const std::string& tempFolder,
                          PathStyle style);
// True when `target` is the anchor folder, lies below it, or is part of the
// sweep bin or a Special Project's user environment.
bool IsInfrastructureTarget(const std::string& target, const std::string& anchorFolder,
                            PathStyle style);
// The spelling of a /L or /C target the guard refuses, or none. It judges
// the argument as typed (the current directory when empty), the folder the
// job will really work on and where that folder's links lead, against the
// anchor folder as spelled and as it really is.
std::optional<std::string> RefusedTarget(const std::string& argument,
                                         const std::string& currentDirectory,
                                         const std::string& anchorFolder, PathStyle style);

void PrintBanner(Console& console);
void ShowBlockedScreen(Context& context, const std::string& target);
void ShowMainMenu(Context& context);

// Runs the program for `arguments` (without the program name) and returns
// the process exit code.
int RunVantor(Context& context, const std::vector<std::string>& arguments);

}  // namespace vantor
