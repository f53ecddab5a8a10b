#include "install/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::RecordingConsole;
using testing::TempDir;

std::string Resource(int number) { return std::string(EmbeddedResource(number).value()); }

int CountLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Every line end is CR LF, and a trailing one is where it should be.
void ExpectCrLfText(int number, bool bom, bool endsWithLineEnd) {
  const std::string text = Resource(number);
  SCOPED_TRACE(number);
  EXPECT_EQ(text.starts_with("\xEF\xBB\xBF"), bom);
  EXPECT_EQ(text.ends_with("\r\n"), endsWithLineEnd);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "bare LF at byte " << at;
}

TEST(Resources, TemplatesHaveTheirLineEndsAndMarks) {
  ExpectCrLfText(107, false, false);
  ExpectCrLfText(108, false, true);
  ExpectCrLfText(109, false, false);
  ExpectCrLfText(110, true, false);
  ExpectCrLfText(111, true, true);
  EXPECT_EQ(CountLines(Resource(107)), 18);  // 19 lines, the last unended
  EXPECT_EQ(CountLines(Resource(108)), 33);
  EXPECT_TRUE(Resource(112).starts_with("%PDF-"));
  EXPECT_FALSE(EmbeddedResource(113).has_value());
}

TEST(Resources, TheProjectTemplateHasEveryKeyEmptyAndNoMasterOnlyKeys) {
  const std::string text = Resource(108);
  for (const char* key :
       {"CP_Version_Max", "CP_Creo_Cmd", "CP_Countdown", "CP_Launch_Sweep", "CP_Reset_Config",
        "CP_Reset_UI", "CP_Reset_Mapkeys", "CP_Keep_N", "CP_Clutter"})
    EXPECT_NE(text.find(std::string("\r\n") + key + "=\r\n"), std::string::npos) << key;
  EXPECT_EQ(text.find("CP_Max_Days="), std::string::npos);
  EXPECT_EQ(text.find("Vantor_Setup_Master="), std::string::npos);
}

TEST(Resources, TheMasterTemplateCarriesTheDefaults) {
  const std::string text = Resource(109);
  for (const char* line : {"\r\nCP_Countdown=Long\r\n", "\r\nCP_Launch_Sweep=Yes\r\n",
                           "\r\nCP_Reset_Config=Yes\r\nCP_Reset_UI=No\r\nCP_Reset_Mapkeys=Yes\r\n",
                           "\r\nCP_Keep_N=1\r\n", "\r\nCP_Max_Days=21\r\n",
                           "\r\nCP_Clutter=*.lst*\r\nCP_Clutter=*.inf*\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_TRUE(text.ends_with("\r\nCP_Clutter=*.xas"));
  std::size_t clutterLines = 0;
  for (std::size_t at = text.find("CP_Clutter="); at != std::string::npos;
       at = text.find("CP_Clutter=", at + 1))
    ++clutterLines;
  EXPECT_EQ(clutterLines, 27u);
}

TEST(WriteEmbeddedResource, WritesExactBytesAndReportsFailures) {
  TempDir dir;
  ASSERT_TRUE(WriteEmbeddedResource(109, dir / "Vantor.ini"));
  EXPECT_EQ(ReadFile(dir / "Vantor.ini"), Resource(109));
  testing::WriteFile(dir / "big.pdf", std::string(1'000'000, 'x'));
  ASSERT_TRUE(WriteEmbeddedResource(112, dir / "big.pdf"));
  EXPECT_EQ(ReadFile(dir / "big.pdf"), Resource(112));  // truncated, then rewritten
  EXPECT_FALSE(WriteEmbeddedResource(999, dir / "none"));
  EXPECT_FALSE(PathExists(dir / "none"));
  EXPECT_FALSE(WriteEmbeddedResource(109, dir / "missing/folder/Vantor.ini"));
}

struct ScaffoldFixture : ::testing::Test {
  TempDir anchor;
  RecordingConsole console;
  void Build() { BuildWorkspaceScaffold(console, anchor.path(), "/found", PathStyle::Posix); }
  std::string Header() const {
    return "      [*] Vantor_Home    : " + anchor.path() + "/Vantor_Home\n" +
           "      [*] Foundation     : /found\n";
  }
};

const std::string kVerified =
    "      [+] Verified folder:  Vantor_Home\n"
    "      [+] Verified folder:  Settings\n"
    "      [+] Verified folder:  Templates\n";

TEST_F(ScaffoldFixture, FirstRunExtractsEverythingSecondRunNothing) {
  Build();
  EXPECT_EQ(console.Text(), Header() + kVerified +
                                "      [+] Extracted file:   VantorSP.ini\n"
                                "      [+] Extracted file:   Vantor.ini\n"
                                "      [+] Extracted file:   Vantor_Env_Mgr_Read_Me.pdf (to "
                                "Documentation)\n");
  EXPECT_EQ(ReadFile(anchor / "Vantor_Home/Templates/VantorSP.ini"), Resource(108));
  EXPECT_EQ(ReadFile(anchor / "Vantor_Home/Documentation/Vantor_Env_Mgr_Read_Me.pdf"),
            Resource(112));
  EXPECT_FALSE(PathExists(anchor / "Vantor_Home/Library"));
  console.Reset();
  Build();
  EXPECT_EQ(console.Text(), Header() + kVerified);
}

TEST_F(ScaffoldFixture, ColoursOfLabelsAndValues) {
  Build();
  const auto& spans = console.spans();
  using Span = RecordingConsole::Span;
  const auto has = [&](const Span& span) {
    return std::find(spans.begin(), spans.end(), span) != spans.end();
  };
  // A value keeps its colour for the indent of the next line.
  EXPECT_TRUE(has({color::kDarkGrey, "[*] Vantor_Home    : "}));
  EXPECT_TRUE(has({color::kCyan, anchor.path() + "/Vantor_Home\n      "}));
  EXPECT_TRUE(has({color::kDarkGrey, "[+] Verified folder:  "}));
  EXPECT_TRUE(has({color::kGrey, "Vantor_Home\n      "}));
  EXPECT_TRUE(has({color::kGrey, "Vantor_Env_Mgr_Read_Me.pdf (to Documentation)\n"}));
}

TEST_F(ScaffoldFixture, OnlyTheMissingFileIsWrittenAndDamagedOnesStay) {
  Build();
  testing::WriteFile(anchor / "Vantor_Home/Templates/VantorSP.ini", "");
  std::filesystem::remove(ToFsPath(anchor / "Vantor.ini"));
  console.Reset();
  Build();
  EXPECT_EQ(console.Text(), Header() + kVerified + "      [+] Extracted file:   Vantor.ini\n");
  EXPECT_EQ(ReadFile(anchor / "Vantor_Home/Templates/VantorSP.ini"), "");
}

TEST_F(ScaffoldFixture, AFolderNamedLikeTheMasterFileCountsAsExisting) {
  CreateFolders(anchor / "Vantor.ini");
  Build();
  EXPECT_EQ(console.Text().find("Extracted file:   Vantor.ini\n"), std::string::npos);
  EXPECT_TRUE(IsDirectory(anchor / "Vantor.ini"));
}

}  // namespace
}  // namespace vantor
