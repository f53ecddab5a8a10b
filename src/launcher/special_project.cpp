#include "launcher/special_project.h"

#include <fstream>

#include "base/paths.h"
#include "install/workspace.h"
#include "shell/config_file.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

// Writes the local config.pro template unless the folder has its own.
bool ExtractLocalConfig(const std::string& targetFolder, PathStyle style) {
  const std::string localConfig = JoinPath(targetFolder, kLocalConfigName, style);
  if (PathExists(localConfig)) return false;
  return WriteEmbeddedResource(resource::kLocalConfig, localConfig);
}

}  // namespace

void PrepareSpecialProject(Context& context, const std::string& targetFolder) {
  Console& console = context.console;
  console.Write("\n      ");
  Print(console, color::kYellow, "[*] Special Project Folder Detected\n");
  Print(console, color::kDarkGrey, "          Loading local VantorSP.ini overrides\n");
  console.SetColor(color::kGrey);
  CreateFolders(JoinPath(targetFolder, kProjectUserEnvName, context.Style()));
  if (ExtractLocalConfig(targetFolder, context.Style())) {
    Print(console, color::kDarkGrey, "          -> Extracted local config.pro\n");
    console.SetColor(color::kGrey);
  }
}

void GenerateSpecialProject(Context& context, const std::string& targetFolder, int version) {
  const PathStyle style = context.Style();
  Console& console = context.console;
  console.Write("\n      ");
  Print(console, color::kGreen,
        "[+] Generating Special Project Environment for CP " + std::to_string(version) + "...\n");
  console.SetColor(color::kGrey);
  CreateFolders(JoinPath(targetFolder, kProjectUserEnvName, style));
  ExtractLocalConfig(targetFolder, style);
  const std::string projectFile = JoinPath(targetFolder, kProjectFileName, style);
  if (!PathExists(projectFile)) WriteEmbeddedResource(resource::kProjectTemplate, projectFile);
  // RewriteSetting leaves a file it cannot read alone rather than empty it.
  RewriteSetting(projectFile, "CP_Version_Max", std::to_string(version));
}

void DesignateSpecialProject(const std::string& projectFile) {
  if (WriteEmbeddedResource(resource::kProjectTemplate, projectFile)) return;
  std::ofstream out(ToFsPath(projectFile), std::ios::binary | std::ios::trunc);
  out << "\r\n";
}

}  // namespace vantor
