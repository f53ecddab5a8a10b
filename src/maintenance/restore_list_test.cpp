#include "maintenance/restore_list.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string Line(const std::string& time, const std::string& name, const std::string& folder,
                 const std::string& rest) {
  return time + " | " + name + " | " + folder + " | " + rest + "\r\n";
}

std::vector<std::string> NamesOf(const RestoreList& list) {
  std::vector<std::string> names;
  for (const auto& file : list.offered) names.push_back(file.name + "@" + file.folder);
  return names;
}

TEST(RestoreList, OffersTheNewestLineOfEachFileStillInTheBin) {
  TempDir dir;
  const std::string bin = dir / "bin";
  const std::string project = dir / "p";
  const std::string mirror = bin + project;
  for (const char* name :
       {"a.log", "b.prt.2", "Old.log", "dup.log", "\u00c4rger.log", "\u00e4rger.log"})
    WriteFile(mirror + "/" + name, "x");
  WriteFile(bin + "/other/c.log", "x");
  const std::string log =
      "garbage\r\n"
      "2024-05-03 10:00:00 | SWEEP - 1 Models, 2 Clutter        | " +
      project + "\r\n" + Line("2024-05-03 10:00:00", "a.log", project, "(1.0 B) [Clutter]") +
      Line("2024-05-03 10:00:00", "b.prt.2", project, "(2.0 KB)") +
      // Newest copy of a name gone: the older one is not offered.
      Line("2024-05-02 09:00:00", "gone.log", project, "(1.0 B)") +
      Line("2024-05-01 09:00:00", "a.log", project, "(9.0 B)") +
      Line("2024-05-01 09:00:00", "old.log", project, "(1.0 B)") +
      Line("2024-05-01 08:00:00", "Old.log", project, "(1.0 B)") +
      // Letter case beyond ASCII: one file on Windows, so the newest line wins.
      Line("2024-05-01 08:00:00", "\u00c4rger.log", project, "(1.0 B)") +
      Line("2024-05-01 07:00:00", "\u00e4rger.log", project, "(1.0 B)") +
      // One name from two folders: both, each from its own folder.
      Line("2024-05-01 09:00:00", "c.log", "/other", "(1.0 B)") +
      Line("2024-05-01 09:00:00", "dup.log", project, "(1.0 B)") +
      // No complete path, no plain name, empty columns: never offered.
      Line("2024-05-01 09:00:00", "x.log", "relative/p", "(1.0 B)") +
      Line("2024-05-01 09:00:00", "../x.log", project, "(1.0 B)") +
      Line("2024-05-01 09:00:00", "y.log", project + "/../p", "(1.0 B)") +
      "2024-05-01 09:00:00 |  |  | (1.0 B)\r\n" + "2024-05-01 09:00 | z.log | " + project +
      " | (1.0 B)\r\n";
  const RestoreList list = BuildRestoreList(log, bin, PathStyle::Posix);
  EXPECT_TRUE(list.anyFileLine);
  EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"a.log@" + project, "b.prt.2@" + project,
                                                     "\u00c4rger.log@" + project, "c.log@/other",
                                                     "dup.log@" + project}));
  ASSERT_FALSE(list.offered.empty());
  EXPECT_EQ(list.offered[0].sizeColumn, "(1.0 B) [Clutter]");
  EXPECT_EQ(list.offered[0].binPath, mirror + "/a.log");
}

TEST(RestoreList, ALogOfEventsAndGarbageHasNoFileLine) {
  const std::string log =
      "2024-05-03 10:00:00 | LAUNCH - CP 11.0.2.0                | C:\\Work\r\n| | |\r\n\r\n";
  const RestoreList list = BuildRestoreList(log, "/bin", PathStyle::Posix);
  EXPECT_FALSE(list.anyFileLine);
  EXPECT_TRUE(list.offered.empty());
}

TEST(RestoreList, OnlyACompletePathIsAPlaceToRestoreTo) {
  const struct {
    const char* folder;
    PathStyle style;
    bool restorable;
  } cases[] = {
      {"C:\\Work", PathStyle::Windows, true},
      {"c:/Work/x", PathStyle::Windows, true},
      {"\\\\fs01\\cad", PathStyle::Windows, true},
      {"\\\\fs01", PathStyle::Windows, false},
      {"\\\\fs01\\", PathStyle::Windows, false},
      {"\\\\?\\C:\\Work", PathStyle::Windows, false},
      {"\\\\.\\pipe\\x", PathStyle::Windows, false},
      {"C:Work", PathStyle::Windows, false},
      {"\\Work", PathStyle::Windows, false},
      {"C:\\Work\\..\\Windows", PathStyle::Windows, false},
      {"C:\\Work\\.", PathStyle::Windows, false},
      {"C:\\Work\\..x", PathStyle::Windows, true},
      {"/home/u", PathStyle::Posix, true},
      {"/home/u/../v", PathStyle::Posix, false},
      {"home/u", PathStyle::Posix, false},
      {"C:\\Work", PathStyle::Posix, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsRestorableFolder(c.folder, c.style), c.restorable) << c.folder;
}

TEST(RestoreRows, PadsFourColumnsAndShowsClutterInsteadOfItsSize) {
  const std::vector<SweptFile> files{
      {"2024-05-03 10:07:59", "a.log", "C:\\W", "(1.0 B) [Clutter]", ""},
      {"2024-05-03 10:07:59", "b.prt.2", "C:\\W", "(2.25 MB)", ""}};
  const std::string pad60(55, ' '), pad120(116, ' ');
  EXPECT_EQ(RestoreRowsText(files), "2024-05-03 10:07          \tClutter          \ta.log" + pad60 +
                                        "\tC:\\W" + pad120 +
                                        "\r\n"
                                        "2024-05-03 10:07          \t2.25 MB          \tb.prt.2" +
                                        std::string(53, ' ') + "\tC:\\W" + pad120 + "\r\n");
  EXPECT_EQ(RestoreWindowTitle("21"),
            "Vantor Restore - v5.3      |      ACTION : Select items to restore, then click OK."
            "      |      TIP : The filter bar is active.      |      NOTE : Files cannot be "
            "recovered after 21 days.");
}

}  // namespace
}  // namespace vantor
