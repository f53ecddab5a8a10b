#include "maintenance/clutter_rule.h"

#include <array>
#include <string>

#include "base/text.h"

namespace vantor {
namespace {

constexpr std::array<std::string_view, 13> kProtectedExtensions = {
    ".prt", ".asm", ".drw", ".sec", ".frm", ".mfg", ".pro",
    ".ini", ".exe", ".bat", ".pdf", ".txt", ".lnk"};

}  // namespace

bool IsClutterRuleAllowed(std::string_view rule) {
  std::string reduced;
  for (const char c : ToLowerAscii(rule))
    if (c != '*') reduced += c;
  if (reduced.empty() || reduced == ".") return false;
  if (reduced.front() != '.') reduced.insert(reduced.begin(), '.');
  for (const auto extension : kProtectedExtensions)
    if (reduced == extension) return false;
  return true;
}

}  // namespace vantor
