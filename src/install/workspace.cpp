#include "install/workspace.h"

#include <fstream>

#include "base/paths.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

void PrintLabel(Console& console, std::string_view label, int valueColor, std::string_view value) {
  console.Write("      ");
  Print(console, color::kDarkGrey, label);
  Print(console, valueColor, std::string(value) + "\n");
}

void VerifyFolder(Console& console, const std::string& folder, const std::string& name) {
  if (!PathExists(folder)) CreateFolders(folder);
  PrintLabel(console, "[+] Verified folder:  ", color::kGrey, name);
}

// Writes a template only where nothing stands yet; an existing file is
// never replaced, even when it is empty or damaged.
void ExtractIfMissing(Console& console, int number, const std::string& path,
                      std::string_view shownName) {
  if (PathExists(path)) return;
  if (WriteEmbeddedResource(number, path))
    PrintLabel(console, "[+] Extracted file:   ", color::kGrey, shownName);
}

}  // namespace

bool WriteEmbeddedResource(int number, const std::string& filePath) {
  const auto bytes = EmbeddedResource(number);
  if (!bytes) return false;
  std::ofstream out(ToFsPath(filePath), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  return true;
}

void BuildWorkspaceScaffold(Console& console, const std::string& anchorFolder,
                            const std::string& foundationFolder, PathStyle style) {
  const std::string home = JoinPath(anchorFolder, "Vantor_Home", style);
  PrintLabel(console, "[*] Vantor_Home    : ", color::kCyan, home);
  PrintLabel(console, "[*] Foundation     : ", color::kCyan, foundationFolder);
  console.SetColor(color::kGrey);
  VerifyFolder(console, home, "Vantor_Home");
  for (const char* name : {"Settings", "Templates"})
    VerifyFolder(console, JoinPath(home, name, style), name);
  const std::string templates = JoinPath(home, "Templates", style);
  ExtractIfMissing(console, resource::kProjectTemplate, JoinPath(templates, "VantorSP.ini", style),
                   "VantorSP.ini");
  ExtractIfMissing(console, resource::kMasterTemplate, JoinPath(anchorFolder, "Vantor.ini", style),
                   "Vantor.ini");
  const std::string documentation = JoinPath(home, "Documentation", style);
  if (!PathExists(documentation)) CreateFolders(documentation);
  ExtractIfMissing(console, resource::kManual, JoinPath(documentation, kManualFileName, style),
                   "Vantor_Env_Mgr_Read_Me.pdf (to Documentation)");
}

}  // namespace vantor
