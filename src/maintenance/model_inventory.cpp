#include "maintenance/model_inventory.h"

#include <filesystem>

#include "base/paths.h"
#include "base/text.h"
#include "maintenance/columns.h"
#include "maintenance/size_text.h"
#include "shell/console_text.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

bool HasModelExtension(std::string_view lowerName, std::string_view extension) {
  const auto at = lowerName.find(extension);
  if (at == std::string_view::npos) return false;
  const std::string_view rest = lowerName.substr(at + extension.size());
  return rest.empty() || (rest.front() == '.' && AllDigits(rest.substr(1)));
}

void AddFile(ModelInventory& inventory, const std::filesystem::directory_entry& entry) {
  std::error_code ec;
  if (!entry.is_regular_file(ec) || ec) return;
  const std::string name = ToLowerAscii(FromFsPath(entry.path().filename()));
  const auto kind = ModelKindOf(name);
  if (!kind) return;
  ModelTally& tally = inventory[*kind];
  tally.models.insert(ModelBaseName(name));
  const std::uintmax_t size = entry.file_size(ec);
  if (!ec) tally.bytes += size;
}

struct KindLabel {
  ModelKind kind;
  const char* label;
};
constexpr KindLabel kLabels[] = {{ModelKind::Part, "Parts: "},
                                 {ModelKind::Assembly, "Assemblies: "},
                                 {ModelKind::Drawing, "Drawings: "}};

void PrintKindLine(Console& console, const char* label, const ModelTally& tally) {
  console.Write("    " + RightAligned(label, 22));
  Print(console, color::kCyan, RightAligned(std::to_string(tally.models.size()), 4));
  Print(console, color::kGrey, " ........... ");
  Print(console, color::kGreen, RightAligned(FormatSize(tally.bytes), 9) + "\n");
  console.SetColor(color::kGrey);
}

}  // namespace

std::string ModelBaseName(std::string_view name) {
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return std::string(name);
  if (!AllDigits(name.substr(dot + 1))) return std::string(name);
  return std::string(name.substr(0, dot));
}

std::optional<ModelKind> ModelKindOf(std::string_view lowerName) {
  if (HasModelExtension(lowerName, ".prt")) return ModelKind::Part;
  if (HasModelExtension(lowerName, ".asm")) return ModelKind::Assembly;
  if (HasModelExtension(lowerName, ".drw")) return ModelKind::Drawing;
  return std::nullopt;
}

ModelInventory TakeInventory(const std::string& folder) {
  ModelInventory inventory;
  if (!IsDirectory(folder)) return inventory;
  std::error_code ec;
  std::filesystem::directory_iterator it(ToFsPath(folder), ec);
  // An unreadable folder (no permission) counts as empty.
  for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec))
    AddFile(inventory, *it);
  return inventory;
}

void PrintInventory(Console& console, const ModelInventory& inventory) {
  console.Write("\n    ");
  Print(console, color::kCyan, "[FOLDER INVENTORY]\n");
  console.SetColor(color::kGrey);
  std::size_t models = 0;
  std::uint64_t bytes = 0;
  int kindsFound = 0;
  for (const auto& [kind, label] : kLabels) {
    const ModelTally& tally = inventory[kind];
    if (tally.models.empty()) continue;
    PrintKindLine(console, label, tally);
    models += tally.models.size();
    bytes += tally.bytes;
    ++kindsFound;
  }
  if (kindsFound == 0) {
    console.Write("      ");
    Print(console, color::kGreen, "[*] No models found in target folder.\n");
    console.SetColor(color::kGrey);
    return;
  }
  if (kindsFound < 2) return;
  console.Write("\n" + std::string(18, ' '));
  Print(console, color::kGreen, RightAligned(FormatSize(bytes), 9));
  Print(console, color::kYellow, " in a total of ");
  Print(console, color::kCyan, std::to_string(models));
  Print(console, color::kYellow, " models\n");
  console.SetColor(color::kGrey);
}

}  // namespace vantor
