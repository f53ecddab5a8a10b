// Mirrors a master copy of Vantor_Home (Vantor_Setup_Master, usually on a
// server) into the anchor folder before every launch.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

// The value of the last Vantor_Setup_Master line of the master file.
std::string ReadSetupMaster(const std::string& masterFile);

// A dry run first, so an unchanged baseline costs one listing and prints
// nothing; Vantor.ini and VantorSP.ini are never copied or deleted.
void SyncWithMaster(Context& context, const std::string& anchorFolder);

}  // namespace vantor
