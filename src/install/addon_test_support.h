// An add-on installer run on real folders: the package is packed from a
// source folder with the real tar, and the installer runs the real tar too.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "install/install_test_support.h"
#include "install/setup.h"

namespace vantor::testing {

struct AddOnWorld : InstallWorld {
  std::string home = anchor + "/Vantor_Home";
  std::string settings = home + "/Settings";
  std::string master = settings + "/Vantor_config.pro";
  std::string mapkeys = settings + "/Vantor_mapkeys.pro";
  std::string backup = settings + "/Vantor_config.pro.bak";
  std::string integration = home + "/Integration";
  std::string package = dir / "My Packages/addon.zip";
  std::string source = dir / "package source";  // packed into `package` when it exists
  bool packed_ = false;                         // the test packed `package` itself

  AddOnWorld() {
    WriteFile(package, "zip");
    world.system.lines.push_back("\"" + package + "\"");
    world.system.runRealPrograms = true;
  }
  void Pack() {
    std::filesystem::remove(ToFsPath(package));
    const auto packed =
        RealSystem().RunProgram("bsdtar", {"-a", "-cf", package, "-C", source, "."});
    ASSERT_TRUE(packed && packed->exitCode == 0);
    packed_ = true;
  }
  void Run() {
    if (IsDirectory(source) && !packed_) Pack();
    InstallAddOn(world.context);
  }
  // Nothing but what the test put there: no staging folder left behind.
  std::vector<std::string> HomeEntries() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(ToFsPath(home), ec), end; !ec && it != end;
         it.increment(ec))
      names.push_back(FromFsPath(it->path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }
};

inline std::string InstallerStart() {
  const std::string rule = RepeatText(box::kDouble, box::kInnerWidth);
  return "{7}<cls>{8}  " + std::string(box::kTopLeft) + rule + std::string(box::kTopRight) +
         "\n  " + std::string(box::kSide) + " {11}Vantor Extension Installer{8}" +
         std::string(58 - 26, ' ') + " " + std::string(box::kSide) + "\n  " +
         std::string(box::kBottomLeft) + rule + std::string(box::kBottomRight) + "\n" +
         "{7}  Drag and drop the Vantor Add-on package (.zip) here:\n\n  Path: ";
}

}  // namespace vantor::testing
