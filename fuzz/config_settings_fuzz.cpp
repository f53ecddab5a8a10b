// Vantor.ini and VantorSP.ini as a user may have edited them: every reader
// of a setting, the sweep's settings and the values the jobs take from them.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/text.h"
#include "fuzz_support.h"
#include "maintenance/clutter_rule.h"
#include "maintenance/purge_settings.h"
#include "shell/config_file.h"
#include "shell/countdown.h"
#include "shell/script_host.h"
#include "shell/whole_number.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

// One key of each kind the jobs read: every reader treats any key alike,
// and each read opens the file again.
constexpr const char* kKeys[] = {"CP_Version_Max", "CP_Launch_Sweep", "Vantor_Setup_Master"};

bool IsTrimmed(const std::string& value) { return value == Trim(value); }

// A version limit reads as the C library reads it, and only an int.
void CheckLeadingNumber(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long c = std::strtoll(text.c_str(), &end, 10);
  const bool fits = end != text.c_str() && errno == 0 && c >= INT_MIN && c <= INT_MAX;
  const auto number = LeadingNumber(text);
  Expect(number.has_value() == fits, "a leading number parses where strtoll does");
  if (number) Expect(*number == c, "a leading number has strtoll's value");
}

void CheckSetting(const std::string& file, const std::string& key) {
  const std::string first = ReadSetting(file, key);
  const std::string last = ReadLastSetting(file, key);
  const std::string lastNonEmpty = ReadLastNonEmptySetting(file, key);
  Expect(IsTrimmed(first) && IsTrimmed(last) && IsTrimmed(lastNonEmpty), "values are trimmed");
  Expect(ReadWithPrecedence(file, file, key) == first, "one file read twice gives its value");
  if (!last.empty())
    Expect(lastNonEmpty == last, "the last value, when set, is the last non-empty");
  if (const auto yes = ParseYesNo(first)) {
    Expect(!*yes || !IsSweepSwitchOff(first), "a yes word never turns the sweep off");
  }
  CheckLeadingNumber(first);
}

void CheckCountdown(const std::string& file) {
  const std::string setting = ToUpperAscii(ReadCountdownSetting(file));
  for (const int base : {10, 12}) {
    const CountdownPlan plan = PlanCountdown(setting, base);
    if (plan.mode == CountdownMode::Timed)
      Expect(plan.seconds >= 1 && plan.seconds <= 2 * base, "a timed countdown is 1 to 2x base");
  }
}

void CheckRules(const std::string& list) {
  for (const auto& rule : SplitFields(list, ','))
    Expect(!rule.empty() && IsClutterRuleAllowed(rule), "only allowed rules reach the engine");
}

void CheckWholeNumber(const std::string& value) {
  const auto number = ParseWholeNumber(value);
  if (!number) return;
  Expect(!value.empty() && AllDigits(value), "a whole number is digits only");
  Expect(*number >= 0 && *number <= INT_MAX, "a whole number fits the engine's int");
}

void CheckPurgeSettings(const std::string& file) {
  PurgeSettings settings;
  LoadPurgeSettings(settings, file, SettingsFile::Master);
  LoadPurgeSettings(settings, file, SettingsFile::SpecialProject);
  Expect(settings.projectClutter == settings.masterClutter, "both kinds accept the same rules");
  CheckRules(EffectiveClutter(settings));
  for (const auto& blocked : settings.blockedRules)
    Expect(!IsClutterRuleAllowed(blocked), "a blocked rule is one the filter refuses");
  CheckWholeNumber(settings.keepCount);
  CheckWholeNumber(settings.maxDays);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile scratch(kProjectFileName);
  const std::string& file = scratch.Write(fuzz::AsText(data, size));
  for (const char* key : kKeys) CheckSetting(file, key);
  CheckCountdown(file);
  CheckPurgeSettings(file);
  return 0;
}
