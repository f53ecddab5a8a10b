#include "launcher/launch_screens.h"

#include "base/text.h"
#include "shell/console_text.h"
#include "shell/context.h"

namespace vantor {
namespace {

constexpr std::string_view kLoading = "Loading ";
constexpr std::string_view kWith = " with ";

std::string Spaces(std::size_t used) {
  return used < box::kTextWidth ? std::string(box::kTextWidth - used, ' ') : std::string();
}

void PrintRule(Console& console, std::string_view left, std::string_view right) {
  Print(console, color::kDarkGrey,
        "  " + std::string(left) + RepeatText(box::kDouble, box::kInnerWidth) + std::string(right) +
            "\n");
}

}  // namespace

void PrintLauncherBanner(Console& console, const std::string& targetFolder, PathStyle style) {
  console.Write("\n");
  PrintHeaderBox(console,
                 {"Vantor Environment Launcher ", std::string("- v") + kVersionText, targetFolder},
                 style);
}

std::string LaunchBoxModelName(const std::string& model, const std::string& versionLabel) {
  const int fixed = static_cast<int>(kLoading.size() + kWith.size() + 3 + TextWidth(versionLabel));
  const int room = 55 - fixed;
  if (static_cast<int>(TextWidth(model)) + fixed > box::kTextWidth && room > 0)
    return FirstCharacters(model, static_cast<std::size_t>(room)) + "...";
  return model;
}

void PrintLaunchBox(Console& console, const std::string& model, const std::string& versionLabel) {
  console.Write("\n");
  PrintRule(console, box::kTopLeft, box::kTopRight);
  console.Write("  " + std::string(box::kSide) + " ");
  if (!model.empty()) {
    const std::string name = LaunchBoxModelName(model, versionLabel);
    Print(console, color::kGrey, kLoading);
    Print(console, color::kCyan, name);
    Print(console, color::kGrey, kWith);
    Print(console, color::kCyan, "CP " + versionLabel);
    console.Write(
        Spaces(kLoading.size() + TextWidth(name) + kWith.size() + 3 + TextWidth(versionLabel)));
  } else {
    const std::string title = "Launching Creo Parametric " + versionLabel;
    Print(console, color::kCyan, title + Spaces(TextWidth(title)));
  }
  Print(console, color::kDarkGrey, " ");
  console.Write(box::kSide);
  console.Write("\n  ");
  console.Write(box::kBottomLeft);
  console.Write(RepeatText(box::kDouble, box::kInnerWidth));
  console.Write(box::kBottomRight);
  console.Write("\n\n");
  console.Write("      ");
  Print(console, color::kDarkGrey,
        "[*] To access Vantor Configuration Editor, hold [SHIFT] while launching.\n\n");
  console.SetColor(color::kGrey);
}

}  // namespace vantor
