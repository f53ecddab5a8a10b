// The safety filter for clutter rules read from the configuration files.
#pragma once

#include <string_view>

namespace vantor {

// False for a rule that would sweep models, drawings, settings or programs:
// the rule, lower-cased and without its "*", is nothing, ".", or exactly one
// of the protected extensions. `rule` is trimmed and not empty.
bool IsClutterRuleAllowed(std::string_view rule);

}  // namespace vantor
