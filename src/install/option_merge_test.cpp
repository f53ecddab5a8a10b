#include "install/option_merge.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "install/option_files_test_support.h"
#include "install/option_text.h"
#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using Lines = std::vector<std::string>;

struct MergeCase {
  const char* name;
  Lines master, incoming, expected;
};

std::vector<MergeCase> RuleCases() {
  return {
      {"search paths add up unless the same line is there",
       {"search_path A", "search_path \"C:\\B  C\""},
       {"SEARCH_PATH  A", "search_path D", "search_path \"C:\\B  C\"", "search_path \"C:\\B C\""},
       {"search_path A", "search_path \"C:\\B  C\"", "search_path D", "search_path \"C:\\B C\""}},
      {"def_layer with tabs is the same line as with spaces",
       {"def_layer\tlayer_axis\tAX"},
       {"def_layer layer_axis  AX", "def_layer layer_axis B"},
       {"def_layer\tlayer_axis\tAX", "def_layer layer_axis B"}},
      {"a mapkey replaces the block of its key sequence, continuation lines and all",
       {"mapkey a @x;\\", "mapkey(continued) one;\\", "  mapkey(continued) two;", "mapkey b @y;"},
       {"mapkey a @z;\\", "MAPKEY(CONTINUED) three;", "mapkey c @w;\\", "mapkey(continued) four;"},
       {"mapkey a @z;\\", "MAPKEY(CONTINUED) three;", "mapkey b @y;", "mapkey c @w;\\",
        "mapkey(continued) four;"}},
      {"key sequences that differ in letter case are two mapkeys",
       {"mapkey A @x;"},
       {"mapkey a @y;"},
       {"mapkey A @x;", "mapkey a @y;"}},
      {"an option replaces the last line naming it, which Creo reads; earlier copies go",
       {"! mine", "Display_Mode wireframe", "", "units mm", "display_mode hidden"},
       {"display_mode shade", "regen_failure_handling"},
       {"! mine", "", "units mm", "display_mode shade", "regen_failure_handling"}},
      {"so does a mapkey defined twice in the master",
       {"template_drawing a.drw", "mapkey k @1;", "units mm", "TEMPLATE_DRAWING b.drw",
        "mapkey k @2;"},
       {"template_drawing c.drw", "mapkey k @3;"},
       {"units mm", "template_drawing c.drw", "mapkey k @3;"}},
      {"only the last copy counts as already there",
       {"a 1", "x 1", "a 2", "b 1", "b 2"},
       {"a 1", "b 2"},
       {"x 1", "a 1", "b 1", "b 2"}},
      {"a name the incoming file repeats stays repeated, the known ones anyway",
       {"preferred_save_as_type step"},
       {"  new_opt\tyes", "NEW_OPT no", "new_opt yes", "preferred_save_as_type iges"},
       {"preferred_save_as_type step", "  new_opt\tyes", "NEW_OPT no",
        "preferred_save_as_type iges"}},
      {"a key the incoming file defines twice keeps both definitions as they come",
       {"mapkey k @0;"},
       {"mapkey k @1;\\", "mapkey(continued) one;", "mapkey j @x;", "mapkey k @2;"},
       {"mapkey k @0;", "mapkey k @1;\\", "mapkey(continued) one;", "mapkey j @x;",
        "mapkey k @2;"}},
      {"repeated lines already there change nothing",
       {"display_mode shade", "x 1", "display_mode wire"},
       {"display_mode wire", "display_mode shade"},
       {"display_mode shade", "x 1", "display_mode wire"}},
      {"comments come once; blank lines only in front of an appended line",
       {"! header", "a 1"},
       {"! header", "", "a 1", "", "! new note", "! new note", "b 2", ""},
       {"! header", "a 1", "", "! new note", "! new note", "b 2"}},
      {"a continuation without its mapkey is kept once",
       {},
       {"mapkey(continued) x;", "mapkey(continued) x;"},
       {"mapkey(continued) x;"}},
      {"a stray continuation stays apart from the master's last mapkey",
       {"mapkey a @x;\\", "mapkey(continued) one;"},
       {"mapkey(continued) stray;"},
       {"mapkey a @x;\\", "mapkey(continued) one;", "", "mapkey(continued) stray;"}},
      {"the toolkit registry files of two add-ons both stay",
       {"toolkit_registry_file C:\\a\\protk.dat"},
       {"toolkit_registry_file C:\\b\\protk.dat"},
       {"toolkit_registry_file C:\\a\\protk.dat", "toolkit_registry_file C:\\b\\protk.dat"}},
  };
}

TEST(OptionMerge, MergesByIdentityAndASecondMergeChangesNothing) {
  for (const auto& c : RuleCases()) {
    const Lines once = MergeOptionLines(c.master, c.incoming);
    EXPECT_EQ(once, c.expected) << c.name;
    EXPECT_EQ(MergeOptionLines(once, c.incoming), once) << c.name << " (merged twice)";
  }
}

std::size_t CountLine(const Lines& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// The lines of one mapkey block, starting at its "mapkey" line.
Lines BlockAt(const Lines& lines, std::size_t start) {
  Lines block = {lines[start]};
  for (std::size_t i = start + 1; i < lines.size() && lines[i].starts_with("mapkey(continued)");
       ++i)
    block.push_back(lines[i]);
  return block;
}

std::size_t FindMapkey(const Lines& lines, int number) {
  const std::string prefix = "mapkey k" + std::to_string(number) + " ";
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].starts_with(prefix)) return i;
  return lines.size();
}

TEST(OptionMerge, RealisticFilesKeepEveryMapkeyAndSearchPath) {
  // The master holds mapkeys 0-39 and search paths 0-79; the incoming file
  // mapkeys 30-62 and search paths 60-182, LF line ends and no mark.
  const testing::OptionFileShape design{"design", 0, 40, 0, 80};
  testing::OptionFileShape tooling{"tooling", 30, 33, 60, 123, false, "\n", "hidden"};
  const std::string master = testing::OptionFileBytes(design);
  const std::string incoming = testing::OptionFileBytes(tooling);
  const std::string once = MergeOptionBytes(master, incoming);
  EXPECT_EQ(MergeOptionBytes(once, incoming), once);
  ASSERT_TRUE(once.starts_with("\xEF\xBB\xBF! Creo Parametric configuration of design\r\n"));

  const Lines merged = DecodeOptionText(once).lines;
  const Lines designLines = SplitTextLines(testing::OptionFileText(design));
  const Lines toolingLines = SplitTextLines(testing::OptionFileText(tooling));
  for (int n = 0; n <= 62; ++n) {
    const std::size_t at = FindMapkey(merged, n);
    ASSERT_LT(at, merged.size()) << "mapkey k" << n;
    const Lines& source = n >= 30 ? toolingLines : designLines;
    EXPECT_EQ(BlockAt(merged, at), BlockAt(source, FindMapkey(source, n))) << "mapkey k" << n;
    EXPECT_EQ(FindMapkey(Lines(merged.begin() + at + 1, merged.end()), n), merged.size() - at - 1)
        << "mapkey k" << n << " twice";
  }
  for (int n = 0; n < 183; ++n) {
    std::string line = testing::SearchPathLine(n);
    line.pop_back();
    EXPECT_EQ(CountLine(merged, line), 1u) << line;
  }
  for (const char* line : {"regen_failure_handling", "search_path_file design_paths.txt",
                           "search_path_file tooling_paths.txt", "! kept by hand since Wildfire",
                           "def_layer\tlayer_axis\t01_AXES", "sketcher_starts_in_2d yes"})
    EXPECT_EQ(CountLine(merged, line), 1u) << line;
  // The incoming value takes the master line's place.
  EXPECT_EQ(merged[3], "display_mode hidden");
  EXPECT_EQ(CountLine(merged, "display_mode shade"), 0u);
}

TEST(OptionMerge, MapkeyFileOfAnAddOnInstalledTwiceIsAppendedOnce) {
  const testing::OptionFileShape addOn{"addon", 0, 25, 0, 0};
  const std::string bytes = testing::OptionFileBytes(addOn);
  const std::string once = MergeMapkeyBytes("mapkey old @a;\r\n", "Extra_Mapkeys.pro", bytes);
  EXPECT_EQ(MergeMapkeyBytes(once, "Extra_Mapkeys.pro", bytes), once);
  const std::string rule = "! " + std::string(40, '-') + "\r\n";
  EXPECT_TRUE(once.starts_with("mapkey old @a;\r\n\r\n" + rule +
                               "! --- Appended by Vantor Extension: Extra_Mapkeys.pro ---\r\n" +
                               rule + "! Creo Parametric configuration of addon\r\n"))
      << once.substr(0, 200);
  // A newer version of the add-on brings one more mapkey: only that one
  // comes, under its own marker.
  const testing::OptionFileShape newer{"addon", 0, 26, 0, 0};
  const std::string twice =
      MergeMapkeyBytes(once, "Extra_Mapkeys.pro", testing::OptionFileBytes(newer));
  const std::string added =
      testing::WithLineEnds({"", 0, 0, 0, 0, false}, testing::MapkeyLines(25, "addon"));
  EXPECT_EQ(twice, once + "\r\n" + rule +
                       "! --- Appended by Vantor Extension: Extra_Mapkeys.pro ---\r\n" + rule +
                       added + "\r\n");
}

struct EncodingCase {
  const char* name;
  std::string master, incoming, expected;
};

std::vector<EncodingCase> EncodingCases() {
  const std::string bom = "\xEF\xBB\xBF";
  return {
      {"Windows-1252 master, UTF-8 add-on: converted to the master's code page",
       "! Pr\xFC"
       "fstand\r\nsearch_path C:\\Pr\xFC"
       "fteile\r\n",
       "search_path C:\\Ma\xC3\x9F"
       "e\n",
       "! Pr\xFC"
       "fstand\r\nsearch_path C:\\Pr\xFC"
       "fteile\r\nsearch_path C:\\Ma\xDF"
       "e\r\n"},
      {"UTF-8 master, Windows-1252 add-on: converted to UTF-8", "! \xC3\xA4\r\n",
       "search_path C:\\Ma\xDF"
       "e\r\n",
       "! \xC3\xA4\r\nsearch_path C:\\Ma\xC3\x9F"
       "e\r\n"},
      {"plain ASCII master takes the add-on's code page", "units mm\r\n", "! \x80 \x81\r\n",
       "units mm\r\n! \x80 \x81\r\n"},
      {"a new master keeps the add-on's byte-order mark", "", bom + "! a\r\nx 1\r\n",
       bom + "! a\r\nx 1\r\n"},
      {"a character the code page lacks makes the file UTF-8 with a mark", "! \xFC\r\n",
       "! \xE2\x86\x92\n", bom + "! \xC3\xBC\r\n! \xE2\x86\x92\r\n"},
      {"a byte-order mark is no part of the first option name", bom + "display_mode wire\r\n",
       bom + "Display_Mode shade\r\n", bom + "Display_Mode shade\r\n"},
  };
}

TEST(OptionMerge, TheMasterKeepsItsEncoding) {
  for (const auto& c : EncodingCases()) {
    EXPECT_EQ(MergeOptionBytes(c.master, c.incoming), c.expected) << c.name;
    EXPECT_EQ(MergeOptionBytes(c.expected, c.incoming), c.expected) << c.name << " (twice)";
  }
}

std::string JoinCrLf(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// The migration wizard keeps the same rule in PowerShell: both must write the
// same bytes for the same files.
TEST(OptionMerge, TheWizardsScriptMergesAsTheInstallerDoes) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& c : RuleCases()) pairs.emplace_back(JoinCrLf(c.master), JoinCrLf(c.incoming));
  for (const auto& c : EncodingCases()) pairs.emplace_back(c.master, c.incoming);
  const testing::OptionFileShape design{"design", 0, 40, 0, 80};
  const testing::OptionFileShape tooling{"tooling", 30, 33, 60, 123, false, "\n", "hidden"};
  pairs.emplace_back(testing::OptionFileBytes(design), testing::OptionFileBytes(tooling));
  pairs.emplace_back(testing::OptionFileBytes(tooling), testing::OptionFileBytes(design));

  testing::TempDir dir;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::string folder = dir / ("cases/" + std::to_string(100 + i));
    if (!pairs[i].first.empty()) testing::WriteFile(folder + "/master.pro", pairs[i].first);
    testing::WriteFile(folder + "/incoming.pro", pairs[i].second);
  }
  const auto wizard = EmbeddedScript("migration_wizard.ps1");
  ASSERT_TRUE(wizard);
  testing::WriteFile(dir / "wizard.ps1", *wizard);
  const std::string script =
      "$VantorNoWindow = $true\n. '" + EscapeSingleQuoted(dir / "wizard.ps1") + "'\n$n = 0\n" +
      "foreach ($case in [System.IO.Directory]::GetDirectories('" +
      EscapeSingleQuoted(dir / "cases") + "')) {\n" +
      "  $at = { param($name) [System.IO.Path]::Combine($case, $name) }\n" +
      "  Merge-OptionFile -Master (& $at 'master.pro') -Incoming (& $at 'incoming.pro') " +
      "-Destination (& $at 'merged.pro')\n  $n++\n}\n'X|' + $n\n";
  PowerShellHost host(RealSystem());
  const auto run = host.RunScript(script, ScriptWindow::Hidden);
  ASSERT_TRUE(run) << run.error().reason;
  ASSERT_EQ(*run, "X|" + std::to_string(pairs.size()));
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::string merged = dir / ("cases/" + std::to_string(100 + i) + "/merged.pro");
    EXPECT_EQ(testing::ReadFile(merged), MergeOptionBytes(pairs[i].first, pairs[i].second))
        << "case " << 100 + i;
  }
}

TEST(OptionText, StrictUtf8) {
  for (const char* valid : {"", "abc", "\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"})
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  for (const char* invalid :
       {"\xFC", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE2\x82"})
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines("a\n\r\nb\r\n"), (Lines{"a", "", "b"}));
}

}  // namespace
}  // namespace vantor
