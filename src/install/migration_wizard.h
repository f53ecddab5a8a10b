// The migration wizard: a window that copies an existing Creo environment
// into Vantor_Home and wires Vantor_config.pro to the copies.
// ShowMigrationWizard and RunMigrationWizard are declared in setup.h.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

inline constexpr std::string_view kMigrationScriptName = "migration_wizard.ps1";

// The template with the anchor folder filled in (base64, so no path can be
// read as code).
std::string FillMigrationScript(std::string_view templateText, const std::string& anchorFolder);

}  // namespace vantor
