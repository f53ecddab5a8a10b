#include "shell/countdown.h"

#include "base/paths.h"
#include "base/text.h"
#include "shell/config_file.h"
#include "shell/console_text.h"

namespace vantor {
namespace {

constexpr int kEnter = '\r';
constexpr int kNoKey = -1;
constexpr int kBlankWidth = 67;

// Enter ends the wait; so does a key read that can never succeed (input
// closed, no console), which would otherwise spin forever.
void WaitForEnter(System& system) {
  for (;;) {
    const int key = system.ReadKey();
    if (key == kEnter || key == kNoKey) return;
  }
}

void HoldUntilEnter(Context& context, const char* prompt) {
  Print(context.console, color::kYellow, prompt);
  context.console.SetColor(color::kGrey);
  WaitForEnter(context.system);
}

// True when a key ended the count (the window may close at once).
bool CountDown(Context& context, int seconds, bool cursorWasVisible) {
  Console& console = context.console;
  for (int n = seconds; n >= 1; --n) {
    console.Write("\r       Closing in " + std::to_string(n) +
                  " seconds... (Press [H] to Hold Window)      ");
    for (int tick = 0; tick < 10; ++tick) {
      if (!context.system.KeyWaiting()) {
        context.system.Sleep(100);
        continue;
      }
      const int key = context.system.ReadKey();
      if (key == 'h' || key == 'H') {
        HoldUntilEnter(context,
                       "\r      [Window Held] Press Enter to close...                     ");
        console.SetCursorVisible(cursorWasVisible);
        ClearLine(console, kBlankWidth);
        return true;
      }
      ClearLine(console, kBlankWidth);
      console.SetCursorVisible(cursorWasVisible);
      return true;
    }
  }
  return false;
}

}  // namespace

CountdownPlan PlanCountdown(const std::string& setting, int baseSeconds) {
  if (setting == "NONE") return {CountdownMode::None, 0};
  if (setting == "HOLD") return {CountdownMode::Hold, 0};
  double multiplier = 1.0;
  if (setting == "SHORT") multiplier = 0.5;
  if (setting == "LONG") multiplier = 2.0;
  const int seconds = static_cast<int>(baseSeconds * multiplier);
  return {CountdownMode::Timed, seconds < 1 ? 1 : seconds};
}

std::string CountdownSetting(const Context& context) {
  const PathStyle style = context.Style();
  const std::string project = JoinPath(context.system.CurrentDirectory(), kProjectFileName, style);
  const std::string master = JoinPath(context.anchorFolder, kMasterFileName, style);
  std::string value;
  if (PathExists(project)) value = ReadCountdownSetting(project);
  if (value.empty() && PathExists(master)) value = ReadCountdownSetting(master);
  if (value.empty()) value = "NORMAL";
  return ToUpperAscii(value);
}

void RunClosingCountdown(Context& context, int baseSeconds) {
  const CountdownPlan plan = PlanCountdown(CountdownSetting(context), baseSeconds);
  if (plan.mode == CountdownMode::None) return;
  Console& console = context.console;
  const bool cursorWasVisible = console.HideCursor();
  console.Write("  ");
  if (plan.mode == CountdownMode::Hold) {
    HoldUntilEnter(context, "\r      Press Enter to close...                     ");
    console.SetCursorVisible(cursorWasVisible);
    ClearLine(console, kBlankWidth);
    return;
  }
  if (CountDown(context, plan.seconds, cursorWasVisible)) return;
  ClearLine(console, kBlankWidth);
  console.SetCursorVisible(cursorWasVisible);
}

}  // namespace vantor
