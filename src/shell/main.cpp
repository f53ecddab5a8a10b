#include "platform/platform.h"
#include "shell/entry.h"
#include "shell/script_host.h"

int main(int argc, char** argv) {
  using namespace vantor;
  System& system = RealSystem();
  PowerShellHost scripts(system);
  Context context{RealConsole(), system, scripts, AnchorFolderOf(system.ModulePath())};
  const int code = RunVantor(context, CommandLineArguments(argc, argv));
  RealConsole().SetColor(color::kGrey);
  return code;
}
