#include "shell/not_available.h"

#include "shell/console_text.h"

namespace vantor {

void ReportNotAvailable(Context& context) {
  context.console.Write("  ");
  Print(context.console, color::kRed, "[!] Not available in this build.\n");
  context.console.SetColor(color::kGrey);
  context.system.Sleep(1000);
}

}  // namespace vantor
