// The "[FOLDER INVENTORY]" count of parts, assemblies and drawings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vantor {

enum class ModelKind { Part, Assembly, Drawing };

// The name without a trailing "." plus decimal digits: bracket.prt.12 gives
// bracket.prt; bracket.prt and bracket.prt. stay as they are.
std::string ModelBaseName(std::string_view name);

// The kind of a lower-cased file name: it holds ".prt" (".asm", ".drw"),
// and after the first occurrence comes nothing, or "." and digits only.
std::optional<ModelKind> ModelKindOf(std::string_view lowerName);

struct ModelTally {
  std::set<std::string> models;  // distinct base names
  std::uint64_t bytes = 0;       // every iteration file
};

struct ModelInventory {
  std::array<ModelTally, 3> kinds;  // indexed by ModelKind
  ModelTally& operator[](ModelKind kind) { return kinds[static_cast<std::size_t>(kind)]; }
  const ModelTally& operator[](ModelKind kind) const {
    return kinds[static_cast<std::size_t>(kind)];
  }
};

// Counts the model files directly in `folder`; a folder that cannot be
// listed counts as empty.
ModelInventory TakeInventory(const std::string& folder);

void PrintInventory(Console& console, const ModelInventory& inventory);

}  // namespace vantor
