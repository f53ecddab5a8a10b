#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/paths.h"
#include "install/install_test_support.h"
#include "install/setup.h"

namespace vantor {
namespace {

using testing::BoxTranscript;
using testing::Canonical;
using testing::InfoTranscript;
using testing::InstallWorld;
using testing::WriteFile;

const std::string kUninstallBox = BoxTranscript("Uninstalling Vantor Environment Setup...", 12);
const std::string kCompleteBox = BoxTranscript("Uninstall Complete.", 10);
const std::string kRegistryRemoved =
    InfoTranscript("Scrubbing Right-Click menus from Registry...\n") +
    "{7}      {10}[-] Registry keys completely removed.\n\n" +
    InfoTranscript("Checking for Desktop Shortcuts...\n");
const std::string kStartMenuCheck = "{7}\n" + InfoTranscript("Checking for Start Menu Folder...\n");

const std::vector<std::string> kMenuKeys{
    "Software\\Classes\\Directory\\shell\\Vantor_Clean",
    "Software\\Classes\\Directory\\Background\\shell\\Vantor_Clean",
    "Software\\Classes\\Directory\\shell\\Vantor_Launch",
    "Software\\Classes\\Directory\\Background\\shell\\Vantor_Launch",
    "Software\\Classes\\*\\shell\\Vantor_Launch"};

// What Setup leaves on the desktop and in the Start Menu, plus what a user
// may have added there.
void InstallShortcuts(const InstallWorld& w) {
  WriteFile(w.desktop + "/Acme.lnk", "link");
  WriteFile(w.desktop + "/Vantor Restore.lnk", "link");
  WriteFile(w.desktop + "/Oldplace.lnk", "link of a setup from another folder");
  for (const char* name : {"The CP Launcher.lnk", "Vantor Restore.lnk", "Vantor User Guide.lnk",
                           "Vantor Home.lnk", "notes.txt", "extra/more.lnk"})
    WriteFile(w.startFolder + "/" + name, "link");
}

TEST(UninstallWithoutRights, DeclinedElevationAbortsWithoutTouchingAnything) {
  InstallWorld w;
  InstallShortcuts(w);
  w.world.system.elevation = ElevationResult::Declined;
  RunUninstall(w.world.context);
  EXPECT_EQ(w.Output(),
            "{7}\n  {14}[INFO] Administrator privileges required for uninstall. Requesting "
            "elevation...\n\n  [WARNING] Credentials Elevation declined.\n"
            "{7}  [ABORT] Cannot remove registry keys without Administrator rights.\n");
  EXPECT_TRUE(w.world.system.registryCalls.empty());
  EXPECT_TRUE(PathExists(w.desktop + "/Acme.lnk"));
  EXPECT_TRUE(PathExists(w.startFolder + "/notes.txt"));
  EXPECT_EQ(w.world.system.sleptMs, 0);  // no countdown
}

TEST(UninstallWithoutRights, StartedElevatedCopyEndsThisProcess) {
  InstallWorld w;
  InstallShortcuts(w);
  w.world.system.elevation = ElevationResult::Started;
  int code = -1;
  try {
    RunUninstall(w.world.context);
  } catch (const testing::ProcessEnded& ended) {
    code = ended.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_EQ(w.Output(),
            "{7}\n  {14}[INFO] Administrator privileges required for uninstall. Requesting "
            "elevation...\n");
  EXPECT_TRUE(PathExists(w.desktop + "/Acme.lnk"));
}

TEST(UninstallWithRights, RemovesMenusShortcutsAndTheWholeStartMenuFolder) {
  InstallWorld w;
  InstallShortcuts(w);
  w.world.system.administrator = true;
  RunUninstall(w.world.context);
  EXPECT_EQ(
      w.Output(),
      Canonical("{7}" + kUninstallBox + kRegistryRemoved +
                "{7}      {10}[-] Personal desktop shortcut removed.\n" +
                "{7}      {10}[-] Restore desktop shortcut removed.\n" + kStartMenuCheck +
                "{7}      {10}[-] Start Menu folder 'Vantor Manager' removed.\n" + kCompleteBox));
  EXPECT_EQ(w.world.console.color(), color::kGrey);
  std::vector<testing::FakeSystem::RegistryCall> deletions;
  for (const auto& key : kMenuKeys) deletions.push_back({"delete", key, "", ""});
  EXPECT_EQ(w.world.system.registryCalls, deletions);
  EXPECT_FALSE(PathExists(w.desktop + "/Acme.lnk"));
  EXPECT_FALSE(PathExists(w.desktop + "/Vantor Restore.lnk"));
  EXPECT_FALSE(PathExists(w.startFolder));
  // A link named after another foundation folder is not ours to find.
  EXPECT_TRUE(PathExists(w.desktop + "/Oldplace.lnk"));
  EXPECT_TRUE(IsDirectory(w.programs));
  EXPECT_TRUE(PathExists(w.anchor));

  // The second run finds nothing left to remove.
  w.world.console.Reset();
  RunUninstall(w.world.context);
  EXPECT_EQ(w.Output(),
            Canonical("{7}" + kUninstallBox + kRegistryRemoved + kStartMenuCheck + kCompleteBox));
}

TEST(UninstallWithRights, RegistryFailuresAreReported) {
  InstallWorld w;
  w.world.system.administrator = true;
  w.world.system.failingRegistryKeys.insert(kMenuKeys[2]);
  RunUninstall(w.world.context);
  EXPECT_NE(w.Output().find(Canonical(
                "      {14}[!] Some registry keys could not be removed (Right-click menus "
                "remain): Permission denied.\n\n{7}  ")),
            std::string::npos)
      << w.Output();
  EXPECT_EQ(w.world.system.registryCalls.size(), 5u);  // every key was still tried
  EXPECT_EQ(w.Output().find("completely removed"), std::string::npos);
}

TEST(UninstallWithRights, ALinkThatCannotBeDeletedIsReportedAndTheRestGoesOn) {
  InstallWorld w;
  InstallShortcuts(w);
  w.world.system.administrator = true;
  WriteFile(w.desktop + "/Acme.lnk", "");
  std::filesystem::remove(ToFsPath(w.desktop + "/Acme.lnk"));
  WriteFile(w.desktop + "/Acme.lnk/inside", "a folder by the link's name");
  RunUninstall(w.world.context);
  const std::string message = std::make_error_code(std::errc::directory_not_empty).message();
  EXPECT_NE(w.Output().find(
                Canonical("      {14}[!] Failed to remove Personal desktop shortcut: " + message +
                          "\n{7}      {10}[-] Restore desktop shortcut removed.\n")),
            std::string::npos)
      << w.Output();
  EXPECT_FALSE(PathExists(w.startFolder));
}

// Makes `file` in `folder` impossible for this process to delete: a
// read-only folder stops an ordinary user, root needs the immutable
// attribute. False when neither can be had here.
class Undeletable {
 public:
  Undeletable(std::string folder, std::string file)
      : folder_(std::move(folder)), file_(std::move(file)) {
    namespace fs = std::filesystem;
    fs::permissions(ToFsPath(folder_), fs::perms::owner_write, fs::perm_options::remove);
    WriteFile(folder_ + "/probe", "");
    if (!PathExists(folder_ + "/probe")) {
      held_ = true;
      return;
    }
    fs::remove(ToFsPath(folder_ + "/probe"));
    fs::permissions(ToFsPath(folder_), fs::perms::owner_write, fs::perm_options::add);
    immutable_ = std::system(("chattr +i '" + file_ + "' 2>/dev/null").c_str()) == 0;
    held_ = immutable_;
  }
  ~Undeletable() {
    if (immutable_) (void)std::system(("chattr -i '" + file_ + "'").c_str());
    std::filesystem::permissions(ToFsPath(folder_), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
  }
  bool held() const { return held_; }

 private:
  std::string folder_, file_;
  bool held_ = false, immutable_ = false;
};

TEST(UninstallWithRights, AStartMenuFolderThatCannotBeRemovedIsReported) {
  InstallWorld w;
  InstallShortcuts(w);
  w.world.system.administrator = true;
  const Undeletable lock(w.startFolder + "/extra", w.startFolder + "/extra/more.lnk");
  if (!lock.held()) GTEST_SKIP() << "no way to make a file undeletable here";
  RunUninstall(w.world.context);
  const std::string out = w.Output();
  const std::string failure = "{7}      {14}[!] Failed to remove Start Menu folder: ";
  const auto at = out.find(Canonical(kStartMenuCheck + failure));
  ASSERT_NE(at, std::string::npos) << out;
  // The system's own message, then the closing box all the same.
  const auto message = out.substr(at + Canonical(kStartMenuCheck + failure).size());
  EXPECT_TRUE(message.starts_with("Operation not permitted\n") ||
              message.starts_with("Permission denied\n"))
      << message;
  EXPECT_TRUE(out.ends_with(Canonical("\n" + kCompleteBox))) << out;
  EXPECT_TRUE(PathExists(w.startFolder + "/extra/more.lnk"));
}

TEST(UninstallWithRights, UnknownShellFoldersRemoveNothing) {
  InstallWorld w;
  w.world.system.administrator = true;
  w.world.system.desktopFolder = "";
  w.world.system.programsFolder = "";
  RunUninstall(w.world.context);
  EXPECT_EQ(w.Output(),
            Canonical("{7}" + kUninstallBox + kRegistryRemoved +
                      "{7}      {14}[!] Desktop folder not found.\n" + kStartMenuCheck +
                      "{7}      {14}[!] Start Menu folder not found.\n" + kCompleteBox));
}

}  // namespace
}  // namespace vantor
