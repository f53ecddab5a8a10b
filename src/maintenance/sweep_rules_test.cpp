#include "maintenance/sweep_rules.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& name : names) out += (out.empty() ? "" : " ") + name;
  return out;
}

// Expected answers are PowerShell's own: `'name' -like 'rule'` in pwsh 7.
TEST(SweepRules, WildcardsAsPowerShellAndIterationsByNumber) {
  struct Like {
    const char* name;
    const char* rule;
    bool matches;
  };
  const Like likes[] = {
      {"\xC3\xA4.log", "\xC3\x84*", true},  // ä.log, Ä*
      {"x", "[]x]", true},
      {"]", "[]x]", true},
      {"a", "[!a]", true},
      {"!", "[!a]", true},
      {"b", "[!a]", false},
      {"abc", "a[b", false},  // an unclosed "[" matches nothing
      {"a[b", "a[b", false},
      {"x", "[x", false},
      {"a", "[]", false},
      {"c", "[c-a]", false},  // nor does a backward range
      {"a[b", "a`[b", true},
      {"a*b", "a`*b", true},
      {"axb", "a`*b", false},
      {"a`", "a``", true},
      {"a`", "a`", true},
      {"ab", "a`b", true},
      {"]", "[`]]", true},
      {"x", "[`]]", false},
      {"a-b", "a[-]b", true},
      {"b", "[a-c]", true},
      {"B", "[a-c]", true},
      {"b", "[A-C]", true},
      {"-", "[a-c]", false},
      {"-", "[a-]", true},
      {"a", "[a-]", true},
      {"-", "[-a]", true},
      {"b", "[-a]", false},
      {"a]", "[a-]]", true},
      {"]", "[a-]]", false},
      {"[x", "[[]x", true},
      {"ab]", "[a]b]", true},
      {"abc", "*", true},
      {"", "*", true},
      {"", "?", false},
      {"ab", "?", false},
      {"a.log", "*.LOG", true},
      {"x.LOG", "*.l?g", true},
      {"a.tmp.1", "*.tmp*", true},
      {"\xC3\xA9", "\xC3\x89", true},      // é, É
      {"\xC3\xBF", "\xC5\xB8", true},      // ÿ, Ÿ
      {"\xCF\x89", "\xCE\xA9", true},      // ω, Ω
      {"\xCF\x82", "\xCE\xA3", true},      // ς, Σ
      {"\xD1\x8F", "\xD0\xAF", true},      // я, Я
      {"\xC7\x85", "\xC7\x86", true},      // ǅ, ǆ
      {"\xC7\x85", "\xC7\x84", true},      // ǅ, Ǆ
      {"\xE2\x84\xAA", "k", true},         // Kelvin sign
      {"\xE2\x84\xAB", "\xC3\xA5", true},  // Angstrom sign, å
      {"\xC2\xB5", "\xCE\x9C", true},      // micro sign, Μ
      {"\xC5\xBF", "s", false},            // long s
      {"I", "\xC4\xB1", false},            // dotless i
      {"i", "\xC4\xB0", false},            // dotted I
      {"\xC3\x9F", "SS", false},           // ß
  };
  for (const Like& c : likes)
    EXPECT_EQ(WildcardRule(c.rule).Matches(c.name), c.matches) << c.name << " -like " << c.rule;

  struct Keep {
    const char* names;  // in the folder's order
    std::int64_t keep;
    const char* surplus;  // oldest first
  };
  const Keep keeps[] = {
      {"b.prt.1 b.prt.2 b.prt.3 b.prt.4 b.prt.5", 2, "b.prt.1 b.prt.2 b.prt.3"},
      {"b.prt.9 b.prt.10", 1, "b.prt.9"},             // numbers, not text
      {"B.PRT.3 b.prt.2 b.Prt", 1, "b.Prt b.prt.2"},  // one model whatever the case
      {"a.asm.1 a.drw.1 a.asm.2 notes.txt.1 a.prt.", 1, "a.asm.1"},
      {"a.prt a.prt.1", 0, "a.prt a.prt.1"},  // keep 0: every model file goes
      {"a.prt.007 a.prt.8", 1, "a.prt.007"},
      {"a.prt.99999999999999999999 a.prt.100000000000000000000", 1, "a.prt.99999999999999999999"},
      {".prt.2 .prt.3 x.prtx.1 x.1", 1, ".prt.2"},
      {"c.asm.2", 5, ""},
  };
  for (const Keep& c : keeps) {
    std::vector<std::string> names;
    for (std::string rest = c.names; !rest.empty();) {
      const auto cut = rest.find(' ');
      names.push_back(rest.substr(0, cut));
      rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
    }
    EXPECT_EQ(Joined(SurplusIterations(names, c.keep)), c.surplus) << c.names;
  }
  EXPECT_EQ(Joined(SplitClutterRules(" *.log* ,, trail.txt.*,")), "*.log* trail.txt.*");
  EXPECT_EQ(Joined(ClutterNames({"job.log", "Vantor_Sweep.log", "my_VANTOR_sweep.txt", "a.prt"},
                                {"*.log", "*.txt"})),
            "job.log");
}

}  // namespace
}  // namespace vantor
