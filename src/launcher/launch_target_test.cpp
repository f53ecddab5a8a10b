#include "launcher/launch_target.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(ModelNameOf, CutsOnlyATrailingIterationNumber) {
  EXPECT_EQ(ModelNameOf("bracket.prt.7"), "bracket.prt");
  EXPECT_EQ(ModelNameOf("frame.asm.123"), "frame.asm");
  EXPECT_EQ(ModelNameOf("bracket.prt"), "bracket.prt");
  EXPECT_EQ(ModelNameOf("v2.1.drw"), "v2.1.drw");
  EXPECT_EQ(ModelNameOf("odd.prt."), "odd.prt.");
}

TEST(ResolveLaunchTarget, FolderFileAndMissingPath) {
  TempDir dir;
  const std::string project = dir / "project";
  WriteFile(project + "/bracket.prt.7", "part");

  const auto folder = ResolveLaunchTarget(project, "/cwd", PathStyle::Posix);
  EXPECT_EQ(folder.folder, project);
  EXPECT_EQ(folder.model, "");

  const auto model = ResolveLaunchTarget(project + "/bracket.prt.7", "/cwd", PathStyle::Posix);
  EXPECT_EQ(model.folder, project);
  EXPECT_EQ(model.model, "bracket.prt");

  const auto missing = ResolveLaunchTarget(project + "/gone.prt.2", "/cwd", PathStyle::Posix);
  EXPECT_EQ(missing.folder, "/cwd");
  EXPECT_EQ(missing.model, "");

  const auto empty = ResolveLaunchTarget("", "/cwd", PathStyle::Posix);
  EXPECT_EQ(empty.folder, "/cwd");
}

}  // namespace
}  // namespace vantor
