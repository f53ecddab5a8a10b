#include "shell/console_text.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::RecordingConsole;
constexpr auto kWin = PathStyle::Windows;

TEST(ShortenPath, KeepsShortPathsWhole) {
  const std::string path = "C:\\" + std::string(40, 'a');  // 43 characters
  EXPECT_EQ(ShortenPath(path, kWin), path);
}

TEST(ShortenPath, DrivePathKeepsPrefixAndTailFromABackslash) {
  const std::string path = "C:\\Projects\\Customer\\2024\\Bracket\\Revision_B\\Models";
  EXPECT_EQ(ShortenPath(path, kWin), "C:\\...\\2024\\Bracket\\Revision_B\\Models");
  EXPECT_LE(ShortenPath(path, kWin).size(), 43u);
}

TEST(ShortenPath, NetworkPathHasNoPrefix) {
  const std::string path = "\\\\fileserver01\\cad\\projects\\customer\\bracket\\models";
  const std::string shortened = ShortenPath(path, kWin);
  EXPECT_EQ(shortened, "...\\cad\\projects\\customer\\bracket\\models");
  EXPECT_LE(shortened.size(), 43u);
}

TEST(ShortenPath, OneLongFolderNameGetsABackslashInFront) {
  const std::string name(50, 'x');
  const std::string shortened = ShortenPath("C:\\" + name, kWin);
  EXPECT_EQ(shortened, "C:\\...\\" + std::string(37, 'x'));
  EXPECT_EQ(shortened.size(), 44u);
}

TEST(ShortenPath, FortyFourCharacterDrivePath) {
  const std::string path = "C:\\aaa\\bbbbbbbbbb\\cccccccccc\\dddddddddd\\eeee";
  ASSERT_EQ(path.size(), 44u);
  EXPECT_EQ(ShortenPath(path, kWin), "C:\\...\\cccccccccc\\dddddddddd\\eeee");
}

TEST(ShortenPath, CountsCharactersNotBytes) {
  // 43 characters, 86 bytes: short enough to stay whole.
  std::string twoByte;
  for (int i = 0; i < 40; ++i) twoByte += "\xC3\xA4";
  EXPECT_EQ(ShortenPath("C:\\" + twoByte, kWin), "C:\\" + twoByte);
  // One character more: the tail is cut at a character, never inside one.
  std::string tail;
  for (int i = 0; i < 37; ++i) tail += "\xC3\xA4";
  EXPECT_EQ(ShortenPath("C:\\ab\\" + twoByte, kWin), "C:\\...\\" + tail);
}

TEST(ClearLine, PrintsCarriageReturnSpacesCarriageReturn) {
  RecordingConsole console;
  ClearLine(console, 3);
  EXPECT_EQ(console.Text(), "\r   \r");
}

TEST(HeaderBox, FolderRowsPadTheShortenedPath) {
  RecordingConsole console;
  PrintHeaderBox(console, {"Title ", " - v5.3", std::string("C:\\Work")}, kWin);
  const std::string bytes = console.Bytes();
  const std::string expected = "  \xC9" + std::string(60, '\xCD') + "\xBB\n" +
                               "  \xBA Title  - v5.3" + std::string(58 - 13, ' ') + " \xBA\n" +
                               "  \xC7" + std::string(60, '\xC4') + "\xB6\n" +
                               "  \xBA Target Folder: C:\\Work" + std::string(43 - 7, ' ') +
                               " \xBA\n" + "  \xC8" + std::string(60, '\xCD') + "\xBC\n";
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(console.color(), color::kDarkGrey);

  // The right border stays in place for a folder named outside ASCII.
  RecordingConsole wide;
  PrintHeaderBox(wide, {"Title ", " - v5.3", std::string("C:\\Tr\xC3\xA4ger \xE6\x97\xA5")}, kWin);
  EXPECT_NE(
      wide.Text().find("C:\\Tr\xC3\xA4ger \xE6\x97\xA5" + std::string(43 - 11, ' ') + " \u2551\n"),
      std::string::npos)
      << wide.Text();
}

}  // namespace
}  // namespace vantor
