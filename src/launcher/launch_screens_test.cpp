#include "launcher/launch_screens.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "launcher/launcher_test_support.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::Cp437;

const std::string kTop = "  \xC9" + std::string(60, '\xCD') + "\xBB\n";
const std::string kBottom = "  \xC8" + std::string(60, '\xCD') + "\xBC\n";
const std::string kHint =
    "      [*] To access Vantor Configuration Editor, hold [SHIFT] while launching.\n\n";

TEST(PrintLauncherBanner, TitleAndTargetFolderBox) {
  testing::RecordingConsole console;
  PrintLauncherBanner(console, "C:\\Work\\Bracket", PathStyle::Windows);
  EXPECT_EQ(console.Bytes(), "\n" + kTop + "  \xBA Vantor Environment Launcher - v5.3" +
                                 std::string(24, ' ') + " \xBA\n" + "  \xC7" +
                                 std::string(60, '\xC4') + "\xB6\n" +
                                 "  \xBA Target Folder: C:\\Work\\Bracket" + std::string(28, ' ') +
                                 " \xBA\n" + kBottom);
  const auto& spans = console.spans();
  ASSERT_EQ(spans.size(), 6u);
  EXPECT_EQ(spans[0], (Span{7, "\n"}));
  EXPECT_EQ(spans[1].color, 8);
  EXPECT_EQ(spans[2], (Span{11, "Vantor Environment Launcher "}));
  EXPECT_EQ(Cp437(spans[3].text), "- v5.3" + std::string(24, ' ') + " \xBA\n  \xC7" +
                                      std::string(60, '\xC4') + "\xB6\n  \xBA Target Folder: ");
  EXPECT_EQ(spans[3].color, 8);
  EXPECT_EQ(spans[4], (Span{7, "C:\\Work\\Bracket" + std::string(28, ' ')}));
  EXPECT_EQ(spans[5].color, 8);
  EXPECT_EQ(console.color(), 8);
}

TEST(PrintLauncherBanner, ALongTargetIsShortened) {
  testing::RecordingConsole console;
  PrintLauncherBanner(console, "C:\\Projects\\Customer Alpha\\2026\\Frame assembly\\Rev C",
                      PathStyle::Windows);
  EXPECT_NE(console.Text().find("Target Folder: C:\\...\\2026\\Frame assembly\\Rev C"),
            std::string::npos);
}

TEST(PrintLaunchBox, AFolderLaunch) {
  testing::RecordingConsole console;
  PrintLaunchBox(console, "", "10.0.2.0");
  const std::string row = "Launching Creo Parametric 10.0.2.0";
  EXPECT_EQ(console.Bytes(), "\n" + kTop + "  \xBA " + row + std::string(58 - row.size(), ' ') +
                                 " \xBA\n" + kBottom + "\n" + kHint);
  EXPECT_EQ(console.spans()[2], (Span{11, row + std::string(58 - row.size(), ' ')}));
  EXPECT_EQ(console.spans().back().color, 8);
  EXPECT_EQ(console.color(), 7);
}

TEST(PrintLaunchBox, AModelLaunch) {
  testing::RecordingConsole console;
  PrintLaunchBox(console, "bracket.prt", "10.0.2.0");
  EXPECT_EQ(console.Bytes(), "\n" + kTop + "  \xBA Loading bracket.prt with CP 10.0.2.0" +
                                 std::string(22, ' ') + " \xBA\n" + kBottom + "\n" + kHint);
  const auto& spans = console.spans();
  ASSERT_EQ(spans.size(), 7u);
  EXPECT_EQ(spans[2], (Span{7, "Loading "}));
  EXPECT_EQ(spans[3], (Span{11, "bracket.prt"}));
  EXPECT_EQ(spans[4], (Span{7, " with "}));
  EXPECT_EQ(spans[5], (Span{11, "CP 10.0.2.0" + std::string(22, ' ')}));
  EXPECT_EQ(spans[6],
            (Span{8, " \u2551\n  \u255A" + RepeatText("\u2550", 60) + "\u255D\n\n" + kHint}));
}

TEST(LaunchBoxModelName, ALongNameIsCutToKeepTheRowAt58) {
  const std::string label = "10.0.2.0";  // "Loading ", " with ", "CP 10.0.2.0": 25
  const std::string exact(33, 'm');
  EXPECT_EQ(LaunchBoxModelName(exact, label), exact);
  const std::string longName = "very_long_customer_assembly_name_rev_c.asm";
  EXPECT_EQ(LaunchBoxModelName(longName, label), longName.substr(0, 30) + "...");

  testing::RecordingConsole console;
  PrintLaunchBox(console, longName, label);
  const std::string text = console.Text();
  const std::string row = "Loading " + longName.substr(0, 30) + "... with CP 10.0.2.0";
  EXPECT_EQ(row.size(), 58u);
  EXPECT_NE(text.find("\u2551 " + row + " \u2551\n"), std::string::npos);
}

TEST(LaunchBoxModelName, CountsCharactersNotBytes) {
  const std::string name = "b\xC3\xA4" + std::string(40, 'x');  // 42 characters
  EXPECT_EQ(LaunchBoxModelName(name, "10.0.2.0"), "b\xC3\xA4" + std::string(28, 'x') + "...");
  EXPECT_EQ(TextWidth("b\xC3\xA4r"), 3u);
}

}  // namespace
}  // namespace vantor
