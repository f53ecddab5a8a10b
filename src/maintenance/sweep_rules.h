// Which files of a folder a sweep takes: clutter by the user's wildcard
// rules, and model iterations beyond the newest ones kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

// A clutter rule as PowerShell's -like reads it, which users wrote their
// rules for: "*" any run, "?" one character, "[abc]" and "[a-z]" sets, a
// backtick takes the next character as it is. Case is ignored beyond ASCII
// ("Ä*" takes "ä.log"). In a set "!" is an ordinary character, a "]" right
// after "[" belongs to the set, and a "-" at either end is itself. A rule
// with an unclosed "[" or a backward range matches nothing.
class WildcardRule {
 public:
  explicit WildcardRule(std::string_view rule);
  bool Matches(std::string_view name) const;

  // One step of a rule: a character, "?", "*" or a set of ranges.
  struct Element {
    enum class Kind { Literal, One, Any, Set } kind = Kind::Literal;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // a literal is one range
  };

 private:
  std::vector<Element> elements_;
  bool valid_ = true;
};

// The rules of a comma-joined list, each trimmed, empty ones dropped.
std::vector<std::string> SplitClutterRules(std::string_view clutter);

// Names matching any rule, in the order given. Nothing whose name holds
// "Vantor_Sweep" (any case): a sweep never takes its own bin's files.
std::vector<std::string> ClutterNames(const std::vector<std::string>& names,
                                      const std::vector<std::string>& rules);

// Model files ("x.prt", "x.asm", "x.drw", any case, maybe followed by "."
// and digits) beyond the newest `keep` of each model. Models group by name
// without the digits, ignoring case; iterations rank by number (no number
// counts as 0), ties by name. The surplus comes oldest first.
std::vector<std::string> SurplusIterations(const std::vector<std::string>& names,
                                           std::int64_t keep);

}  // namespace vantor
