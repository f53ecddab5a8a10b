#include "base/paths.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

constexpr auto kWin = PathStyle::Windows;
constexpr auto kPosix = PathStyle::Posix;

TEST(AbsolutePath, RelativeFormsBecomeTheFullPathTheyName) {
  struct Case {
    const char* path;
    const char* current;
    PathStyle style;
    const char* expected;
  };
  for (const Case& c : {
           Case{".", "C:\\Work\\Proj", kWin, "C:\\Work\\Proj"},
           Case{"..\\Vantor\\Vantor_Home", "C:\\Work\\Proj", kWin, "C:\\Work\\Vantor\\Vantor_Home"},
           Case{"sub/./deep\\", "C:\\Work", kWin, "C:\\Work\\sub\\deep"},
           Case{"..\\..\\..", "C:\\Work", kWin, "C:\\"},
           Case{"\\Tools", "D:\\Work", kWin, "D:\\Tools"},
           Case{"d:sub", "D:\\Work", kWin, "D:\\Work\\sub"},
           Case{"e:sub", "D:\\Work", kWin, "e:\\sub"},
           Case{"C:", "C:\\Work", kWin, "C:\\Work"},
           Case{"C:\\Work\\..\\Tools\\Vantor\\", "D:\\", kWin, "C:\\Tools\\Vantor"},
           Case{"C:/Work//Proj", "D:\\", kWin, "C:\\Work\\Proj"},
           Case{"C:\\", "D:\\", kWin, "C:\\"},
           Case{"\\\\fs01\\cad\\..\\..\\proj", "C:\\", kWin, "\\\\fs01\\cad\\proj"},
           Case{"proj", "\\\\fs01\\cad", kWin, "\\\\fs01\\cad\\proj"},
           Case{"\\\\fs01\\\\cad\\..", "C:\\", kWin, "\\\\fs01\\cad"},
           Case{"\\\\?\\C:\\Work\\..", "C:\\", kWin, "\\\\?\\C:\\Work\\.."},
           Case{"Tr\xC3\xA4ger", "C:\\Work", kWin, "C:\\Work\\Tr\xC3\xA4ger"},
           Case{".", "/home/me", kPosix, "/home/me"},
           Case{"../x/./y/", "/home/me", kPosix, "/home/x/y"},
           Case{"../../..", "/home", kPosix, "/"},
           Case{"/srv//a\\b/..", "/home", kPosix, "/srv"},
           Case{"a\\/b\\", "/home", kPosix, "/home/a\\/b\\"},
       })
    EXPECT_EQ(AbsolutePath(c.path, c.current, c.style), c.expected)
        << c.path << " in " << c.current;
}

TEST(FolderOf, ADriveRootKeepsItsSeparator) {
  EXPECT_EQ(FolderOf("C:\\bracket.prt", kWin), "C:\\");
  EXPECT_EQ(FolderOf("C:\\Work\\bracket.prt", kWin), "C:\\Work");
  EXPECT_EQ(FolderOf("/bracket.prt", kPosix), "/");
  EXPECT_EQ(FolderOf("bracket.prt", kWin), "");
}

}  // namespace
}  // namespace vantor
