#include "shell/fatal_error.h"

#include <string>

#include "shell/console_text.h"

namespace vantor {

void PrintFatalError(Console& console, const char* message) {
  if (message) {
    Print(console, color::kRed, "\n  [!] FATAL SYSTEM EXCEPTION CAUGHT: \n      ");
    Print(console, color::kYellow, std::string(message) + "\n\n");
    Print(console, color::kGrey,
          "  The C++ kernel stopped an instant crash. Please review the error.\n");
  } else {
    Print(console, color::kRed, "\n  [!] UNKNOWN FATAL ERROR OCCURRED.\n");
    console.SetColor(color::kGrey);
  }
}

}  // namespace vantor
