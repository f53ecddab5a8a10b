#include "maintenance/restore_moves.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(DisplacedName, MarksTheNameBeforeItsFirstExtension) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"a.log", "a (displaced 2024-05-03 101500).log"},
      {"bracket.prt.6", "bracket (displaced 2024-05-03 101500).prt.6"},
      {".hidden", ".hidden (displaced 2024-05-03 101500)"},
      {".x.log", ".x (displaced 2024-05-03 101500).log"},
      {"std", "std (displaced 2024-05-03 101500)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DisplacedName(c.name, "2024-05-03 10:15:00"), c.expected) << c.name;
}

class RestoreMoves : public ::testing::Test {
 protected:
  RestoreMoves() {
    target = {dir / "bin", dir / "bin/Vantor_Sweep.log", PathStyle::Posix, "2024-05-03 10:15:00"};
  }
  // A file of `folder` swept into the bin with `content`.
  SweptFile Swept(const std::string& folder, const std::string& name, const std::string& content) {
    const std::string binPath = target.binFolder + folder + "/" + name;
    WriteFile(binPath, content);
    return SweptFile{"2024-05-03 10:00:00", name, folder, "(1.0 B)", binPath};
  }

  TempDir dir;
  RestoreTarget target;
};

TEST_F(RestoreMoves, BringsFilesBackIntoFoldersMadeAnewAndTidiesTheBin) {
  const std::string gone = dir / "gone/deep";
  std::vector<SweptFile> chosen{Swept(gone, "a.log", "A"), Swept(gone, "b.prt.2", "B")};
  // Purged since the list was shown: not counted, nothing made for it.
  chosen.push_back(SweptFile{"2024-05-03 10:00:00", "c.log", dir / "other", "(1.0 B)",
                             target.binFolder + dir.path() + "/other/c.log"});
  EXPECT_EQ(RestoreSweptFiles(chosen, target), 2);
  EXPECT_EQ(ReadFile(gone + "/a.log"), "A");
  EXPECT_EQ(ReadFile(gone + "/b.prt.2"), "B");
  EXPECT_FALSE(PathExists(dir / "other"));
  // Emptied mirror folders are gone, the bin itself stays.
  EXPECT_FALSE(PathExists(target.binFolder + dir.path()));
  EXPECT_TRUE(IsDirectory(target.binFolder));
}

TEST_F(RestoreMoves, AFileMadeSinceGoesIntoTheBinUnderItsOwnNameWithALine) {
  const std::string project = dir / "p";
  WriteFile(project + "/a.log", "made since");
  WriteFile(target.logFile, "2024-05-01 09:00:00 | older line\r\n");
  EXPECT_EQ(RestoreSweptFiles({Swept(project, "a.log", "swept")}, target), 1);
  EXPECT_EQ(ReadFile(project + "/a.log"), "swept");
  const std::string kept = "a (displaced 2024-05-03 101500).log";
  EXPECT_EQ(ReadFile(target.binFolder + project + "/" + kept), "made since");
  // The swept copy's old place is free: a later sweep of a.log cannot
  // replace the displaced file.
  EXPECT_FALSE(PathExists(target.binFolder + project + "/a.log"));
  EXPECT_EQ(ReadFile(target.logFile),
            "2024-05-03 10:15:00 | " + kept + " | " + project +
                std::string(project.size() < 87 ? 87 - project.size() : 0, ' ') +
                " | (10.0 B)\r\n" + "2024-05-01 09:00:00 | older line\r\n");
}

TEST_F(RestoreMoves, AFolderInTheWayIsNeverReplaced) {
  const std::string project = dir / "p";
  ASSERT_TRUE(CreateFolders(project + "/a.log"));
  EXPECT_EQ(RestoreSweptFiles({Swept(project, "a.log", "swept")}, target), 0);
  EXPECT_EQ(ReadFile(target.binFolder + project + "/a.log"), "swept");
}

}  // namespace
}  // namespace vantor
