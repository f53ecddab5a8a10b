// The sweep's settings: keep count, retention days and clutter rules, read
// from the master Vantor.ini and a Special Project's VantorSP.ini.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantor {

struct PurgeSettings {
  std::string keepCount;                  // CP_Keep_N, empty when never set
  std::string maxDays;                    // CP_Max_Days, empty when never set
  std::string projectClutter;             // accepted rules from a VantorSP.ini, comma-joined
  std::string masterClutter;              // accepted rules from Vantor.ini, comma-joined
  std::vector<std::string> blockedRules;  // refused rules, as written, in order met
};

enum class SettingsFile { Master, SpecialProject };

// Reads one configuration file into `settings`. A missing or unreadable
// file changes nothing.
void LoadPurgeSettings(PurgeSettings& settings, const std::string& path, SettingsFile kind);

// `rule` appended to a comma-joined list.
void AppendRule(std::string& list, const std::string& rule);

// The Special Project's rules when it has any, else the master's.
std::string EffectiveClutter(const PurgeSettings& settings);

}  // namespace vantor
