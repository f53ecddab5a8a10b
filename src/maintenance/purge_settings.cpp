#include "maintenance/purge_settings.h"

#include "base/text.h"
#include "maintenance/clutter_rule.h"
#include "shell/config_file.h"
#include "shell/script_host.h"

namespace vantor {
namespace {

// The text after `key` when `line` starts with it, trimmed.
std::optional<std::string> ValueAfter(const std::string& line, std::string_view key) {
  if (!StartsWith(line, key)) return std::nullopt;
  return Trim(std::string_view(line).substr(key.size()));
}

void AddClutterRules(PurgeSettings& settings, const std::string& value, SettingsFile kind) {
  std::string& list =
      kind == SettingsFile::SpecialProject ? settings.projectClutter : settings.masterClutter;
  for (const std::string& rule : SplitFields(value, ',')) {
    if (rule.empty()) continue;
    if (IsClutterRuleAllowed(rule))
      AppendRule(list, rule);
    else
      settings.blockedRules.push_back(rule);
  }
}

}  // namespace

void AppendRule(std::string& list, const std::string& rule) {
  if (!list.empty()) list += ',';
  list += rule;
}

void LoadPurgeSettings(PurgeSettings& settings, const std::string& path, SettingsFile kind) {
  const auto lines = ReadTextLines(path);
  if (!lines) return;
  for (const std::string& raw : *lines) {
    const std::string line = Trim(raw);
    if (const auto keep = ValueAfter(line, "CP_Keep_N=")) {
      if (!keep->empty()) settings.keepCount = *keep;
    } else if (const auto days = ValueAfter(line, "CP_Max_Days=")) {
      if (!days->empty()) settings.maxDays = *days;
    } else if (const auto clutter = ValueAfter(line, "CP_Clutter=")) {
      if (!clutter->empty()) AddClutterRules(settings, *clutter, kind);
    }
  }
}

std::string EffectiveClutter(const PurgeSettings& settings) {
  return settings.projectClutter.empty() ? settings.masterClutter : settings.projectClutter;
}

}  // namespace vantor
