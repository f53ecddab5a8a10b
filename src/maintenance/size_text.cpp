#include "maintenance/size_text.h"

#include "bin/history_line.h"

namespace vantor {

// The inventory always prints "."; the bin's texts follow the user's format.
std::string FormatSize(std::uint64_t bytes) { return SizeText(bytes, "."); }

}  // namespace vantor
