// The closing countdown every job ends with, so the user can read the last
// messages before the window closes.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

enum class CountdownMode { None, Timed, Hold };

struct CountdownPlan {
  CountdownMode mode = CountdownMode::Timed;
  int seconds = 0;
};

// From the upper-cased CP_Countdown value and the caller's base seconds.
CountdownPlan PlanCountdown(const std::string& setting, int baseSeconds);

// The CP_Countdown value that applies: the current directory's
// VantorSP.ini first, then the master file, else "NORMAL"; upper-cased.
std::string CountdownSetting(const Context& context);

void RunClosingCountdown(Context& context, int baseSeconds);

}  // namespace vantor
