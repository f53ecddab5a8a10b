#include "bin/history_line.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// A name goes into the log only when it comes back whole from its line.
TEST(HistoryLine, LoggableNamesAreExactlyThoseThatReadBackWhole) {
  struct Case {
    std::string name;
    bool loggable;
  };
  const Case cases[] = {
      {"bracket.prt.3", true},
      {"a b", true},
      {"Tr\xC3\xA4ger \xE3\x83\x96.log", true},  // Träger ブ
      {"C:\\Work\\Proj", true},
      {"emoji \xF0\x9F\x98\x80", true},
      {"in\xC2\xA0side", true},  // U+00A0 inside a name is kept
      {"", false},
      {" lead", false},
      {"trail ", false},
      {"tab\tin", false},
      {"a|b", false},
      {"line\nbreak", false},
      {"cr\r", false},
      {"del\x7F", false},
      {"nbsp\xC2\xA0", false},      // U+00A0 at the end
      {"\xC2\xA0nbsp", false},      // and at the start
      {"nel\xC2\x85", false},       // U+0085
      {"ls\xE2\x80\xA8x", false},   // U+2028 anywhere
      {"ps\xE2\x80\xA9x", false},   // U+2029
      {"ideo\xE3\x80\x80", false},  // U+3000 at the end
      {"bad\xC3", false},           // cut UTF-8
      {"over\xC0\xAF", false},      // overlong
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsLoggableName(c.name), c.loggable) << c.name;
    if (!c.loggable) continue;
    const auto back = ParseHistoryFileLine(
        FileLine("2026-12-09 10:11:12", c.name, "/p", SizeText(1536, "."), SweptKind::Clutter));
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(back->name, c.name);
    EXPECT_EQ(back->rest, "(1.5 KB) [Clutter]");
  }
  // What the reader takes and leaves: extra blanks before the first "|",
  // a "|" in the rest, event lines and damaged stamps.
  const auto loose = ParseHistoryFileLine("2026-12-09 10:11:12\t |  n  | /f | (1 B) | x");
  ASSERT_TRUE(loose);
  EXPECT_EQ(loose->time + "/" + loose->name + "/" + loose->folder + "/" + loose->rest,
            "2026-12-09 10:11:12/n//f/(1 B) | x");
  EXPECT_FALSE(ParseHistoryFileLine("2026-12-09 10:11:12 | SWEEP - 1 Models, 0 Clutter | /p"));
  EXPECT_FALSE(ParseHistoryFileLine("2026-12-09 10:11 | n | /f | (1 B)"));
  EXPECT_FALSE(ParseHistoryFileLine("2026-12-09 10:11:12 |  | /f | (1 B)"));
}

TEST(HistoryLine, SizeTextTimestampsAndLineDays) {
  EXPECT_EQ(SizeText(1073741824, ","), "1,000 GB");
  EXPECT_EQ(SizeText(1023, "\xD9\xAB"),
            "1023\xD9\xAB"
            "0 B");  // Arabic separator
  EXPECT_EQ(HistoryTimestamp(BinTime{0, CivilSeconds(2024, 2, 29, 23, 59, 59)}),
            "2024-02-29 23:59:59");
  EXPECT_EQ(LineDayStart("2024-02-29 | x"), CivilSeconds(2024, 2, 29, 0, 0, 0));
  EXPECT_FALSE(LineDayStart("2023-02-29 | x"));
  EXPECT_FALSE(LineDayStart("2023-13-01"));
  EXPECT_FALSE(LineDayStart("garbage line"));
}

}  // namespace
}  // namespace vantor
