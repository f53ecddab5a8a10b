#include "bin/bin_paths.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

struct MirrorCase {
  std::string folder;
  PathStyle style;
  std::string parts;  // joined with ">", empty when the folder has no place
};

const std::vector<MirrorCase> kMirrorCases = {
    {"C:\\Users\\me", PathStyle::Windows, "Vantor_Drive_C>Users>me"},
    {"d:\\Home\\", PathStyle::Windows, "Vantor_Drive_d>Home"},
    {"C:\\", PathStyle::Windows, "Vantor_Drive_C"},
    {"C:/Work/Proj A", PathStyle::Windows, "Vantor_Drive_C>Work>Proj A"},
    {"E:\\Bob's \xC3\x9C"
     "bung\\$(x) [1]",
     PathStyle::Windows,
     "Vantor_Drive_E>Bob's \xC3\x9C"
     "bung>$(x) [1]"},
    {"\\\\fs01\\home\\me", PathStyle::Windows, "Vantor_UNC_Server>fs01>home>me"},
    {"\\\\fs01\\cad\\", PathStyle::Windows, "Vantor_UNC_Server>fs01>cad"},
    {"\\\\fs01", PathStyle::Windows, "Vantor_UNC_Server>fs01"},
    {"/home/me", PathStyle::Posix, "home>me"},
    {"/srv/cad proj/Zo\xC3\xAB/", PathStyle::Posix, "srv>cad proj>Zo\xC3\xAB"},
    // No place in the bin: these would lead out of it or name a device.
    {"C:\\Work\\..\\..\\Windows", PathStyle::Windows, ""},
    {"\\\\?\\C:\\Work", PathStyle::Windows, ""},
    {"\\\\.\\pipe\\x", PathStyle::Windows, ""},
    {"/home/../etc", PathStyle::Posix, ""},
};

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& part : parts) out += (out.empty() ? "" : ">") + part;
  return out;
}

TEST(MirrorFolderParts, DriveUncAndOtherFormsEachInTheirPlace) {
  for (const auto& c : kMirrorCases)
    EXPECT_EQ(Joined(MirrorFolderParts(c.folder, c.style)), c.parts) << c.folder;
}

TEST(BinCopyPath, JoinsBinMirrorAndNameInTheStyle) {
  EXPECT_EQ(
      BinCopyPath("D:\\A\\Vantor_Sweep", "\\\\fs01\\home\\me", "config.pro", PathStyle::Windows),
      "D:\\A\\Vantor_Sweep\\Vantor_UNC_Server\\fs01\\home\\me\\config.pro");
  EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", "/home/a\\b", "x", PathStyle::Posix),
            "/a/Vantor_Sweep/home/a\\b/x");
  EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", "/../x", "x", PathStyle::Posix), "");
  EXPECT_EQ(HistoryLogOf("C:\\V", PathStyle::Windows), "C:\\V\\Vantor_Sweep\\Vantor_Sweep.log");
  // A server name that is no plain name would climb out of the bin.
  for (const char* folder : {"\\\\..\\x", "\\\\../..\\x", "\\\\a/b\\x"}) {
    EXPECT_EQ(BinCopyPath("C:\\V\\Vantor_Sweep", folder, "x", PathStyle::Windows), "") << folder;
    EXPECT_EQ(BinCopyPath("/a/Vantor_Sweep", folder, "x", PathStyle::Posix), "") << folder;
  }
}

}  // namespace
}  // namespace vantor
