#include "install/install_console.h"

#include "base/text.h"
#include "shell/console_text.h"

namespace vantor {

void PrintInfoLine(Console& console, std::string_view text) {
  console.Write("  ");
  Print(console, color::kCyan, "[INFO] ");
  Print(console, color::kGrey, text);
}

void PrintIndented(Console& console, int attribute, std::string_view text) {
  console.Write("      ");
  Print(console, attribute, text);
  console.SetColor(color::kGrey);
}

void PrintInstallBox(Console& console, std::string_view title, int titleColor) {
  const std::string rule = RepeatText(box::kDouble, box::kInnerWidth);
  console.Write("\n");
  Print(console, color::kDarkGrey,
        "  " + std::string(box::kTopLeft) + rule + std::string(box::kTopRight) + "\n  " +
            std::string(box::kSide) + " ");
  Print(console, titleColor, PadRight(title, box::kTextWidth));
  Print(console, color::kDarkGrey,
        " " + std::string(box::kSide) + "\n  " + std::string(box::kBottomLeft) + rule +
            std::string(box::kBottomRight) + "\n\n");
  console.SetColor(color::kGrey);
}

}  // namespace vantor
