#include "shell/path_relation.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using R = PathRelation;

TEST(RelationOf, ReadsBothPathsAsTheFileSystemWould) {
  struct Case {
    const char *first, *second;
    PathStyle style;
    R expected;
  };
  const PathStyle w = PathStyle::Windows, p = PathStyle::Posix;
  const Case cases[] = {
      {"C:\\Vantor", "C:\\Vantor", w, R::Same},
      {"C:\\Vantor\\", "C:\\Vantor", w, R::Same},
      {"c:/VANTOR//", "C:\\Vantor", w, R::Same},
      {"C:\\Vantor. ", "C:\\Vantor", w, R::Same},
      {"C:\\Tools\\..\\Vantor\\.", "C:\\Vantor", w, R::Same},
      {"\\\\?\\C:\\Vantor", "C:\\Vantor", w, R::Same},
      {"\\\\?\\UNC\\Srv\\Share\\V", "\\\\srv\\share\\v\\", w, R::Same},
      {"..\\Vantor", "C:\\Vantor", w, R::Same},          // against the base C:\Work
      {"\\Vantor", "C:\\Vantor", w, R::Same},            // the base's drive
      {"C:Vantor", "C:\\Work\\Vantor", w, R::Same},      // the base's folder on C:
      {"C:\\..\\..\\Vantor", "C:\\Vantor", w, R::Same},  // ".." stops at the root
      {"C:\\Vantor\\Vantor_Home", "C:\\Vantor", w, R::FirstInsideSecond},
      {"C:\\", "C:\\Vantor", w, R::SecondInsideFirst},
      {"\\\\srv\\share", "\\\\SRV\\Share\\Vantor", w, R::SecondInsideFirst},
      {"C:\\Vantor2", "C:\\Vantor", w, R::Separate},
      {"D:\\Vantor", "C:\\Vantor", w, R::Separate},
      {"\\\\srv\\share2\\Vantor", "\\\\srv\\share\\Vantor", w, R::Separate},
      {"/opt/Vantor/", "/opt/Vantor", p, R::Same},
      {"/opt/x/../Vantor", "/opt/Vantor", p, R::Same},
      {"Vantor", "/work/Vantor", p, R::Same},            // against the base /work
      {"/opt/vantor", "/opt/Vantor", p, R::Separate},    // letter case counts here
      {"/opt/Vantor\\", "/opt/Vantor", p, R::Separate},  // a backslash is a name byte
      {"/", "/opt/Vantor", p, R::SecondInsideFirst},
      {"/opt/Vantor/Vantor_Home/..//Library", "/opt/Vantor", p, R::FirstInsideSecond},
  };
  for (const auto& c : cases) {
    const char* base = c.style == w ? "C:\\Work" : "/work";
    EXPECT_EQ(RelationOf(c.first, c.second, base, c.style), c.expected)
        << c.first << " vs " << c.second;
  }
}

}  // namespace
}  // namespace vantor
