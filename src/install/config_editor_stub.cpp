#include "install/config_editor.h"
#include "shell/not_available.h"

namespace vantor {

int OpenConfigurationEditor(Context& context, const std::string&, const std::string&,
                            const std::string&, EditorMode) {
  ReportNotAvailable(context);
  return kEditorCancelled;
}

}  // namespace vantor
