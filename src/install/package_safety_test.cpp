// Packages from untrusted hands, each built by the test: whatever they
// hold, nothing outside the anchor folder changes, the master configuration
// stays whole and no half-unpacked folder is left for the next install.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "bin/bin_paths.h"
#include "install/addon_test_support.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::AddOnWorld;
using testing::ReadFile;
using testing::WriteFile;

const std::string kMaster = "! master\r\nunits mm\r\n";

struct HostileWorld : AddOnWorld {
  std::string sentinel = dir / "sentinel";

  HostileWorld() {
    WriteFile(sentinel + "/secret.txt", "secret\n");
    WriteFile(sentinel + "/folder/inside_config.pro", "outside_option 1\n");
    WriteFile(master, kMaster);
  }

  // Every entry of the test folder outside the anchor, the package and its
  // source: file bytes, link targets, folders.
  std::map<std::string, std::string> Outside() const {
    std::map<std::string, std::string> seen;
    const std::string skipped[] = {anchor, ParentFolder(package), source};
    std::error_code ec;
    fs::recursive_directory_iterator it(ToFsPath(dir.path()), ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      const std::string path = FromFsPath(it->path());
      if (std::any_of(std::begin(skipped), std::end(skipped), [&](const std::string& s) {
            return path == s || path.starts_with(s + "/");
          })) {
        it.disable_recursion_pending();
        continue;
      }
      if (it->is_symlink())
        seen[path] = "link " + FromFsPath(fs::read_symlink(it->path()));
      else
        seen[path] = it->is_directory() ? "folder" : ReadFile(path);
    }
    return seen;
  }

  // Packs the source with names rewritten by a bsdtar -s rule; -P keeps
  // absolute and ".." names as written.
  void PackRenamed(const std::string& rule) {
    const auto packed = RealSystem().RunProgram(
        "bsdtar", {"-a", "-P", "-cf", package, "-C", source, "-s", rule, "x.txt"});
    ASSERT_TRUE(packed && packed->exitCode == 0);
    packed_ = true;
  }
};

TEST(HostilePackage, IsRefusedWholeAndChangesNothingOutsideTheAnchor) {
  struct Case {
    const char* name;
    std::function<void(HostileWorld&)> build;
    std::string message;
  };
  const std::string refused = "  {12}[!] Package refused: entry '";
  const Case cases[] = {
      {"link to an outside file",
       [](HostileWorld& w) {
         WriteFile(w.source + "/Library/part.prt", "p");
         fs::create_symlink(ToFsPath(w.sentinel + "/secret.txt"),
                            ToFsPath(w.source + "/Library/pw"));
       },
       refused + "./Library/pw' is a link or a special file. Nothing was installed.\n"},
      {"link to an outside folder",
       [](HostileWorld& w) {
         WriteFile(w.source + "/Library/part.prt", "p");
         fs::create_directory_symlink(ToFsPath(w.sentinel + "/folder"),
                                      ToFsPath(w.source + "/Integration"));
       },
       refused + "./Integration' is a link or a special file. Nothing was installed.\n"},
      {"links at the temporary and backup names",
       [](HostileWorld& w) {
         WriteFile(w.source + "/Integration/a_config.pro", "new 1\n");
         const std::string target = w.sentinel + "/secret.txt";
         fs::create_symlink(ToFsPath(target),
                            ToFsPath(w.source + "/Settings/Vantor_config.pro.bak"));
       },
       refused + "./Settings/Vantor_config.pro.bak' is a link or a special file. Nothing was "
                 "installed.\n"},
      {"a '..' entry",
       [](HostileWorld& w) {
         WriteFile(w.source + "/x.txt", "escaped");
         w.PackRenamed(",^,../../../../../../sentinel/,");
       },
       refused + "../../../../../../sentinel/x.txt' points outside its folder. Nothing was "
                 "installed.\n"},
      {"an absolute entry",
       [](HostileWorld& w) {
         WriteFile(w.source + "/x.txt", "escaped");
         w.PackRenamed(",^," + w.sentinel + "/,");
       },
       "absolute"},
      {"a drive entry",
       [](HostileWorld& w) {
         WriteFile(w.source + "/x.txt", "escaped");
         w.PackRenamed(",^,C:/,");
       },
       refused + "C:/x.txt' points outside its folder. Nothing was installed.\n"},
      {"a tar.gz named .zip",
       [](HostileWorld& w) {
         WriteFile(w.source + "/Library/part.prt", "p");
         const auto packed =
             RealSystem().RunProgram("bsdtar", {"-czf", w.package, "-C", w.source, "."});
         ASSERT_TRUE(packed && packed->exitCode == 0);
         w.packed_ = true;
       },
       "  {12}[!] Extraction failed (Corrupt ZIP?). Aborting.\n"},
      {"a small zip bomb",
       [](HostileWorld& w) { WriteFile(w.source + "/Library/zeros", std::string(40 << 20, '\0')); },
       "  {12}[!] Package refused: it would expand past 16.00 MB. Nothing was installed.\n"},
  };
  for (const auto& c : cases) {
    HostileWorld w;
    CreateFolders(w.source + "/Settings");
    c.build(w);
    const auto before = w.Outside();
    w.Run();
    const std::string message =
        c.message == "absolute"
            ? refused + w.sentinel + "/x.txt' points outside its folder. Nothing was installed.\n"
            : c.message;
    EXPECT_NE(w.Output().find(testing::Canonical(message)), std::string::npos) << c.name << "\n"
                                                                               << w.Output();
    EXPECT_EQ(w.Outside(), before) << c.name;
    EXPECT_EQ(ReadFile(w.master), kMaster) << c.name;
    EXPECT_EQ(w.HomeEntries(), std::vector<std::string>{"Settings"}) << c.name;
  }
}

// Links an earlier installer may have let a package leave in Settings, at
// the old predictable temporary name and at the backup name, are replaced,
// never written through.
TEST(HostilePackage, LinksLeftInSettingsAreNotWrittenThrough) {
  HostileWorld w;
  const std::string secret = w.sentinel + "/secret.txt";
  for (const std::string& name :
       {std::string("Vantor_config.pro.bak"),
        "Vantor_config.pro.vtmp" + std::to_string(RealSystem().ProcessId())})
    fs::create_symlink(ToFsPath(secret), ToFsPath(w.settings + "/" + name));
  WriteFile(w.source + "/Integration/a_config.pro", "new_opt 1\n");
  const auto before = w.Outside();
  w.Run();
  EXPECT_NE(w.Output().find("[+] Add-on Successfully Integrated."), std::string::npos);
  EXPECT_EQ(w.Outside(), before);
  EXPECT_EQ(ReadFile(w.master), kMaster + "new_opt 1\r\n");
}

// A package whose data breaks off half way leaves nothing, and the next,
// unrelated package does not merge what the broken one carried.
TEST(HostilePackage, AHalfBrokenArchiveLeavesNothingBehind) {
  HostileWorld w;
  std::string noise;
  for (unsigned i = 0; noise.size() < (1u << 20); ++i) noise += std::to_string(i * 2654435761u);
  WriteFile(w.source + "/Library/big.prt", noise);
  WriteFile(w.source + "/Integration/zz_config.pro", "units inch\n");
  w.Pack();
  const std::string whole = ReadFile(w.package);
  WriteFile(w.package, whole.substr(0, whole.size() / 2));
  w.Run();
  EXPECT_NE(w.Output().find("[!] Extraction failed (Corrupt ZIP?). Aborting."), std::string::npos)
      << w.Output();
  EXPECT_EQ(w.HomeEntries(), std::vector<std::string>{"Settings"});

  fs::remove_all(ToFsPath(w.source));
  WriteFile(w.source + "/Templates/t.drw", "t");
  w.packed_ = false;
  w.world.console.Reset();
  w.world.system.lines = {w.package};
  w.Run();
  EXPECT_NE(w.Output().find("(No dynamic integration files found)"), std::string::npos)
      << w.Output();
  EXPECT_EQ(ReadFile(w.master), kMaster);
}

// A package that carries a file of Vantor_Home puts the user's copy into
// the sweep bin with a history line before replacing it.
TEST(PackagePlacement, ReplacedFilesGoToTheSweepBinFirst) {
  HostileWorld w;
  WriteFile(w.home + "/Library/same.prt", "same");
  WriteFile(w.source + "/Settings/Vantor_config.pro", "package 1\r\n");
  WriteFile(w.source + "/Library/same.prt", "same");
  w.Run();
  EXPECT_EQ(ReadFile(w.master), "package 1\r\n");
  std::vector<std::string> binned;
  std::error_code ec;
  const std::string bin = BinFolderOf(w.anchor, PathStyle::Posix);
  for (fs::recursive_directory_iterator it(ToFsPath(bin), ec), end; !ec && it != end;
       it.increment(ec))
    if (it->is_regular_file() && it.depth() > 0) binned.push_back(FromFsPath(it->path()));
  ASSERT_EQ(binned.size(), 1u);  // the identical file lost nothing and stays out of the bin
  EXPECT_TRUE(binned[0].ends_with("/Settings/Vantor_config.pro"));
  EXPECT_EQ(ReadFile(binned[0]), kMaster);
  const std::string log = ReadFile(HistoryLogOf(w.anchor, PathStyle::Posix));
  EXPECT_NE(log.find("Vantor_config.pro"), std::string::npos);
  EXPECT_NE(log.find(w.settings), std::string::npos);
}

TEST(PackagePlacement, AFileTheBinCannotTakeStopsTheInstallAndSaysWhy) {
  HostileWorld w;
  WriteFile(BinFolderOf(w.anchor, PathStyle::Posix), "a file where the bin folder belongs");
  WriteFile(w.source + "/Settings/Vantor_config.pro", "package 1\r\n");
  w.Run();
  EXPECT_NE(w.Output().find("[!] Install stopped: " + w.master +
                            " could not be moved into the sweep bin (Not a directory). Aborting."),
            std::string::npos)
      << w.Output();
  EXPECT_EQ(ReadFile(w.master), kMaster);
}

}  // namespace
}  // namespace vantor
