#include "maintenance/sweep_rules.h"

#include <algorithm>

#include "base/letter_case.h"
#include "base/text.h"

namespace vantor {
namespace {

using Kind = WildcardRule::Element::Kind;

bool InRange(char32_t c, const std::pair<char32_t, char32_t>& range) {
  if (range.first == range.second)
    return c == range.first || LowerLetter(c) == LowerLetter(range.first) ||
           UpperLetter(c) == UpperLetter(range.first);
  for (const char32_t form : {c, LowerLetter(c), UpperLetter(c)})
    if (form >= range.first && form <= range.second) return true;
  return false;
}

// A set after its "[": fills `element`, returns the index after its "]",
// or 0 when it never closes or holds a backward range.
std::size_t ParseSet(const std::u32string& rule, std::size_t i, WildcardRule::Element& element) {
  element.kind = Kind::Set;
  std::vector<char32_t> chars;
  std::vector<bool> escaped;
  for (bool first = true; i < rule.size(); first = false) {
    char32_t c = rule[i];
    if (c == ']' && !first) break;
    const bool escape = c == '`' && i + 1 < rule.size();
    if (escape) c = rule[++i];
    chars.push_back(c);
    escaped.push_back(escape);
    ++i;
  }
  if (i >= rule.size()) return 0;
  for (std::size_t k = 0; k < chars.size(); ++k) {
    const bool range = k + 2 < chars.size() && chars[k + 1] == '-' && !escaped[k + 1];
    if (!range) {
      element.ranges.emplace_back(chars[k], chars[k]);
      continue;
    }
    if (chars[k + 2] < chars[k]) return 0;
    element.ranges.emplace_back(chars[k], chars[k + 2]);
    k += 2;
  }
  return i + 1;
}

bool ElementTakes(const WildcardRule::Element& element, char32_t c) {
  if (element.kind == Kind::One) return true;
  for (const auto& range : element.ranges)
    if (InRange(c, range)) return true;
  return false;
}

bool IsModelExtension(std::string_view ext) {
  const std::string lower = ToLowerAscii(ext);
  return lower == ".prt" || lower == ".asm" || lower == ".drw";
}

// A model file's group (lower-cased name without the number) and its
// number's digits without leading zeros; false for any other file.
bool SplitModelName(const std::string& name, std::string& group, std::string& digits) {
  std::size_t end = name.size();
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot + 1 < name.size() &&
      std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(),
                  [](char c) { return c >= '0' && c <= '9'; })) {
    digits = name.substr(name.find_first_not_of('0', dot + 1) == std::string::npos
                             ? name.size()
                             : name.find_first_not_of('0', dot + 1));
    end = dot;
  } else {
    digits.clear();
  }
  if (end < 4 || !IsModelExtension(std::string_view(name).substr(end - 4, 4))) return false;
  group = ToLowerAscii(name.substr(0, end));
  return true;
}

}  // namespace

WildcardRule::WildcardRule(std::string_view rule) {
  const std::u32string text = CodePoints(rule);
  for (std::size_t i = 0; i < text.size();) {
    Element element;
    const char32_t c = text[i];
    if (c == '*') {
      element.kind = Kind::Any;
      ++i;
    } else if (c == '?') {
      element.kind = Kind::One;
      ++i;
    } else if (c == '[') {
      i = ParseSet(text, i + 1, element);
      if (i == 0) {
        valid_ = false;
        return;
      }
    } else {
      const char32_t literal = c == '`' && i + 1 < text.size() ? text[++i] : c;
      element.ranges.emplace_back(literal, literal);
      ++i;
    }
    elements_.push_back(std::move(element));
  }
}

bool WildcardRule::Matches(std::string_view name) const {
  if (!valid_) return false;
  const std::u32string text = CodePoints(name);
  // Elements take one character each but "*": the classic backtracking to
  // the last star is enough.
  std::size_t e = 0, t = 0, starE = std::string::npos, starT = 0;
  while (t < text.size()) {
    if (e < elements_.size() && elements_[e].kind == Kind::Any) {
      starE = e++;
      starT = t;
    } else if (e < elements_.size() && ElementTakes(elements_[e], text[t])) {
      ++e, ++t;
    } else if (starE != std::string::npos) {
      e = starE + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (e < elements_.size() && elements_[e].kind == Kind::Any) ++e;
  return e == elements_.size();
}

std::vector<std::string> SplitClutterRules(std::string_view clutter) {
  std::vector<std::string> rules;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= clutter.size(); ++i) {
    if (i < clutter.size() && clutter[i] != ',') continue;
    std::string rule = Trim(clutter.substr(start, i - start));
    if (!rule.empty()) rules.push_back(std::move(rule));
    start = i + 1;
  }
  return rules;
}

std::vector<std::string> ClutterNames(const std::vector<std::string>& names,
                                      const std::vector<std::string>& rules) {
  std::vector<WildcardRule> compiled;
  for (const auto& rule : rules) compiled.emplace_back(rule);
  std::vector<std::string> clutter;
  for (const auto& name : names) {
    if (ToLowerAscii(name).find("vantor_sweep") != std::string::npos) continue;
    for (const auto& rule : compiled)
      if (rule.Matches(name)) {
        clutter.push_back(name);
        break;
      }
  }
  return clutter;
}

std::vector<std::string> SurplusIterations(const std::vector<std::string>& names,
                                           std::int64_t keep) {
  struct Model {
    std::string group, digits;
    const std::string* name;
  };
  std::vector<Model> models;
  for (const auto& name : names) {
    Model model{{}, {}, &name};
    if (SplitModelName(name, model.group, model.digits)) models.push_back(std::move(model));
  }
  // Numbers of any length compare as numbers: shorter is smaller.
  std::sort(models.begin(), models.end(), [](const Model& a, const Model& b) {
    if (a.group != b.group) return a.group < b.group;
    if (a.digits.size() != b.digits.size()) return a.digits.size() < b.digits.size();
    if (a.digits != b.digits) return a.digits < b.digits;
    return *a.name < *b.name;
  });
  std::vector<std::string> surplus;
  for (std::size_t start = 0, end = 0; start < models.size(); start = end) {
    while (end < models.size() && models[end].group == models[start].group) ++end;
    const auto count = static_cast<std::int64_t>(end - start);
    for (std::int64_t k = 0; k < count - keep; ++k) surplus.push_back(*models[start + k].name);
  }
  return surplus;
}

}  // namespace vantor
