#include "maintenance/clutter_rule.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(ClutterRule, RefusesRulesThatReduceToAProtectedExtension) {
  for (const char* rule : {"*.prt", "*.PRT*", "txt", "*.p*rt", "*.Asm", "drw", ".sec", "*.frm",
                           "*.mfg", "*.pro", "*.ini", "*.exe", "*.bat", "*.pdf", "*.lnk"})
    EXPECT_FALSE(IsClutterRuleAllowed(rule)) << rule;
}

TEST(ClutterRule, RefusesRulesThatMatchEverything) {
  EXPECT_FALSE(IsClutterRuleAllowed("*"));
  EXPECT_FALSE(IsClutterRuleAllowed("**"));
  EXPECT_FALSE(IsClutterRuleAllowed("*.*"));
  EXPECT_FALSE(IsClutterRuleAllowed("."));
}

TEST(ClutterRule, AllowsRulesThatOnlyAddAroundAProtectedExtension) {
  for (const char* rule : {"*.log*", "trail.txt.*", "*.prt.*", "mc_err.log", "std.out", "*.bde",
                           "s2d0*.sec*", "*.pr?", "*.[p]rt", "VantorSP.ini"})
    EXPECT_TRUE(IsClutterRuleAllowed(rule)) << rule;
}

}  // namespace
}  // namespace vantor
