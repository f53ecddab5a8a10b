// How two folder paths lie to each other, compared the way the file system
// would read them: separators collapsed, "." and ".." steps resolved, a
// trailing separator ignored and, for Windows paths, letter case, the "\\?\"
// prefix and the trailing dots and spaces Windows drops from a name ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

enum class PathRelation { Separate, Same, FirstInsideSecond, SecondInsideFirst };

// The components of `path` made absolute against `base` (itself absolute),
// the root first ("c:", "\\server\share" or "/"); Windows components in
// lower case. Empty when neither gives a root.
std::vector<std::string> NormalisedComponents(std::string_view path, std::string_view base,
                                              PathStyle style);

// Relative paths are read against `base`.
PathRelation RelationOf(std::string_view first, std::string_view second, std::string_view base,
                        PathStyle style);

}  // namespace vantor
