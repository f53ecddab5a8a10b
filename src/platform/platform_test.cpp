#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> EntriesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ToFsPath(folder)))
    names.push_back(FromFsPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileOperations, AFailureSaysWhyAndLeavesEverythingAsItWas) {
  TempDir dir;
  WriteFile(dir / "file", "old");
  ASSERT_TRUE(CreateFolders(dir / "folder"));
  struct Case {
    const char* what;
    std::error_code error;
    std::errc expected;
  };
  // Evaluated in this order: none of them may change the folder.
  const Case cases[] = {
      {"replace in a missing folder", ReplaceFileAtomically(dir / "missing/x", "new"),
       std::errc::no_such_file_or_directory},
      {"replace a folder", ReplaceFileAtomically(dir / "folder", "new"), std::errc::is_a_directory},
      {"rename a missing file", RenameWithinVolume(dir / "missing", dir / "y"),
       std::errc::no_such_file_or_directory},
      {"rename onto a folder", RenameWithinVolume(dir / "file", dir / "folder"),
       std::errc::is_a_directory},
      {"lock in a missing folder", FileLock::Acquire(dir / "missing/x.lock", 0).error(),
       std::errc::no_such_file_or_directory},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error, c.expected) << c.what;
  EXPECT_EQ(EntriesOf(dir.path()), (std::vector<std::string>{"file", "folder"}));
  EXPECT_EQ(ReadFile(dir / "file"), "old");
}

TEST(RunProgram, AProgramThatCannotStartSaysWhy) {
  TempDir dir;
  WriteFile(dir / "not-executable", "#!/bin/sh\n");
  const std::pair<std::string, std::errc> cases[] = {
      {dir / "missing", std::errc::no_such_file_or_directory},
      {dir / "not-executable", std::errc::permission_denied},
  };
  for (const auto& [program, expected] : cases) {
    const auto run = RealSystem().RunProgram(program, {});
    ASSERT_FALSE(run) << program;
    EXPECT_EQ(run.error(), expected) << program;
  }
}

TEST(ShellOpen, AStartThatFailsSaysWhy) {
  TempDir dir;
  WriteFile(dir / "program", "#!/bin/sh\n");
  std::filesystem::permissions(ToFsPath(dir / "program"), std::filesystem::perms::owner_all);
  // Started in a folder that is not there: the reason comes back, not a start.
  EXPECT_EQ(RealSystem().ShellOpen(dir / "program", "", dir / "missing"),
            std::errc::no_such_file_or_directory);
  EXPECT_FALSE(RealSystem().ShellOpen(dir / "program", "", dir.path()));
}

TEST(ListFolder, ListsEveryEntryWithItsKindAndFollowsNoLink) {
  TempDir dir;
  WriteFile(dir / ".hidden", "12345");
  ASSERT_TRUE(CreateFolders(dir / "sub"));
  WriteFile(dir / "sub/inner", "x");
  std::filesystem::create_directory_symlink(ToFsPath(dir / "sub"), ToFsPath(dir / "link"));
  auto entries = ListFolder(dir.path());
  ASSERT_TRUE(entries);
  std::sort(entries->begin(), entries->end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[0].name, ".hidden");
  EXPECT_EQ((*entries)[0].kind, EntryKind::File);
  EXPECT_EQ((*entries)[0].size, 5u);
  EXPECT_GT((*entries)[0].lastWriteNs, 1'600'000'000'000'000'000LL);
  EXPECT_EQ((*entries)[1].name, "link");
  EXPECT_EQ((*entries)[1].kind, EntryKind::Link);
  EXPECT_EQ((*entries)[2].kind, EntryKind::Folder);
  EXPECT_FALSE(ListFolder(dir / "missing"));
}

}  // namespace
}  // namespace vantor
