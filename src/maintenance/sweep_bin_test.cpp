#include "maintenance/sweep_bin.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/paths.h"
#include "shell/script_host.h"
#include "shell/text.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct MirrorCase {
  std::string folder;
  PathStyle style;
  std::string parts;  // joined with ">", empty when the folder has no place
};

const std::vector<MirrorCase> kMirrorCases = {
    {"C:\\Users\\me", PathStyle::Windows, "Vantor_Drive_C>Users>me"},
    {"d:\\Home\\", PathStyle::Windows, "Vantor_Drive_d>Home"},
    {"C:\\", PathStyle::Windows, "Vantor_Drive_C"},
    {"C:/Work/Proj A", PathStyle::Windows, "Vantor_Drive_C>Work>Proj A"},
    {"E:\\Bob's \xC3\x9C"
     "bung\\$(x) [1]",
     PathStyle::Windows,
     "Vantor_Drive_E>Bob's \xC3\x9C"
     "bung>$(x) [1]"},
    {"\\\\fs01\\home\\me", PathStyle::Windows, "Vantor_UNC_Server>fs01>home>me"},
    {"\\\\fs01\\cad\\", PathStyle::Windows, "Vantor_UNC_Server>fs01>cad"},
    {"\\\\fs01", PathStyle::Windows, "Vantor_UNC_Server>fs01"},
    {"/home/me", PathStyle::Posix, "home>me"},
    {"/srv/cad proj/Zo\xC3\xAB/", PathStyle::Posix, "srv>cad proj>Zo\xC3\xAB"},
    // No place in the bin: these would lead out of it or name a device.
    {"C:\\Work\\..\\..\\Windows", PathStyle::Windows, ""},
    {"\\\\?\\C:\\Work", PathStyle::Windows, ""},
    {"\\\\.\\pipe\\x", PathStyle::Windows, ""},
    {"/home/../etc", PathStyle::Posix, ""},
};

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : ">") + part;
  return out;
}

// The same folders through the engine's two mirror functions and the
// restore window's, each answer split the way the file system splits it.
std::vector<std::string> AskTheScripts(const TempDir& dir) {
  std::string folders, files;
  for (const auto& c : kMirrorCases) {
    folders += "'" + EncodeScriptText(c.folder) + "',";
    files += "'" + EncodeScriptText(JoinPath(c.folder, "f.prt", c.style)) + "',";
  }
  for (const char* name : {"sweep_engine.ps1", "restore_window.ps1"})
    WriteFile(dir / name, std::string(*EmbeddedScript(name)));
  const std::string script =
      "$VantorNoWindow = $true\n"
      ". '" +
      EscapeSingleQuoted(dir / "sweep_engine.ps1") +
      "'\n"
      ". '" +
      EscapeSingleQuoted(dir / "restore_window.ps1") +
      "'\n"
      "function Split-Sub([string]$s) { ($s.Split([char[]]@('\\', '/')) | Where-Object { $_ }) "
      "-join '>' }\n"
      "$d = { param($t) [Text.Encoding]::UTF8.GetString([Convert]::FromBase64String($t)) }\n"
      "$folders = @(" +
      folders + "'')\n$files = @(" + files +
      "'')\n"
      "$out = for ($i = 0; $i -lt $folders.Count - 1; $i++) {\n"
      "  $f = & $d $folders[$i]\n"
      "  (Split-Sub (Get-MirrorFolderSubPath -Folder $f)) + ';' +\n"
      "  (Split-Sub (Get-MirrorSubPath -FullPath (& $d $files[$i]))) + ';' +\n"
      "  ((Get-MirrorFolderPart -Folder $f) -join '>')\n"
      "}\n"
      "'X|' + ($out -join '|')\n";
  PowerShellHost host(RealSystem());
  const auto run = host.RunScript(script, ScriptWindow::Hidden);
  EXPECT_TRUE(run) << run.error().reason;
  const std::string result = run ? *run : "";
  auto answers = SplitFields(result.substr(std::min<std::size_t>(2, result.size())), '|');
  answers.resize(kMirrorCases.size());
  return answers;
}

TEST(MirrorFolderParts, AgreesWithTheSweepEngineAndTheRestoreWindow) {
  TempDir dir;
  const auto answers = AskTheScripts(dir);
  for (std::size_t i = 0; i < kMirrorCases.size(); ++i) {
    const auto& c = kMirrorCases[i];
    const std::string ours = Joined(MirrorFolderParts(c.folder, c.style));
    EXPECT_EQ(ours, c.parts) << c.folder;
    auto theirs = SplitFields(answers[i], ';');
    if (theirs.size() == 2) theirs.emplace_back();  // the restore window found no place
    ASSERT_EQ(theirs.size(), 3u) << c.folder << ": " << answers[i];
    EXPECT_EQ(theirs[2], ours) << "restore window, " << c.folder;
    // The engine is only ever handed real folders, never "no place" ones.
    if (ours.empty()) continue;
    EXPECT_EQ(theirs[0], ours) << "engine folder rule, " << c.folder;
    EXPECT_EQ(theirs[1], ours) << "engine file rule, " << c.folder;
  }
}

TEST(BinCopyPath, JoinsBinMirrorAndNameInTheStyle) {
  EXPECT_EQ(
      BinCopyPath("D:\\A\\Vantor_Sweep", "\\\\fs01\\home\\me", "config.pro", PathStyle::Windows),
      "D:\\A\\Vantor_Sweep\\Vantor_UNC_Server\\fs01\\home\\me\\config.pro");
  EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", "/home/a\\b", "x", PathStyle::Posix),
            "/a/Vantor_Sweep/home/a\\b/x");
  EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", "/../x", "x", PathStyle::Posix), "");
  // A server name that is no plain name would climb out of the bin.
  for (const char* folder : {"\\\\..\\x", "\\\\../..\\x", "\\\\a/b\\x"}) {
    EXPECT_EQ(BinCopyPath("C:\\V\\Vantor_Sweep", folder, "x", PathStyle::Windows), "") << folder;
    EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", folder, "x", PathStyle::Posix), "") << folder;
  }
}

TEST(FitsHistoryColumn, OnlyTextTheLogReaderGetsBackWhole) {
  for (const char* text : {"C:\\Users\\me", "/home/Zo\xC3\xAB", "a b"})
    EXPECT_TRUE(FitsHistoryColumn(text)) << text;
  for (const char* text : {"", " lead", "trail ", "a|b", "a\nb", "a\tb", "a\x7f"})
    EXPECT_FALSE(FitsHistoryColumn(text)) << text;
}

TEST(MoveFileSafely, ReplacesTheOlderCopyAndKeepsTheTime) {
  TempDir dir;
  WriteFile(dir / "from", "new");
  WriteFile(dir / "to", "old");
  const auto time =
      std::filesystem::last_write_time(ToFsPath(dir / "from")) - std::chrono::hours(30);
  std::filesystem::last_write_time(ToFsPath(dir / "from"), time);
  EXPECT_EQ(MoveFileSafely(dir / "from", dir / "to"), "");
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  EXPECT_EQ(std::filesystem::last_write_time(ToFsPath(dir / "to")), time);
  EXPECT_FALSE(PathExists(dir / "from"));
  // A missing source leaves the copy there alone and says why.
  EXPECT_NE(MoveFileSafely(dir / "from", dir / "to"), "");
  EXPECT_EQ(ReadFile(dir / "to"), "new");
}

}  // namespace
}  // namespace vantor
