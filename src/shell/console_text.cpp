#include "shell/console_text.h"

#include "base/paths.h"
#include "base/text.h"

namespace vantor {
namespace {

constexpr std::size_t kShortPathLimit = 43;

void PrintRule(Console& console, std::string_view left, std::string_view line,
               std::string_view right) {
  Print(console, color::kDarkGrey,
        "  " + std::string(left) + RepeatText(line, box::kInnerWidth) + std::string(right) + "\n");
}

void PrintTitleRow(Console& console, const HeaderBox& header) {
  Print(console, color::kDarkGrey, "  " + std::string(box::kSide) + " ");
  Print(console, color::kCyan, header.title);
  Print(console, color::kDarkGrey, header.versionSuffix);
  const int fill = box::kTextWidth - static_cast<int>(header.title.size()) -
                   static_cast<int>(header.versionSuffix.size());
  if (fill > 0) console.Write(std::string(static_cast<std::size_t>(fill), ' '));
  Print(console, color::kDarkGrey, " " + std::string(box::kSide) + "\n");
}

void PrintFolderRows(Console& console, std::string_view folder, PathStyle style) {
  PrintRule(console, box::kTeeLeft, box::kSingle, box::kTeeRight);
  console.Write("  " + std::string(box::kSide) + " ");
  Print(console, color::kDarkGrey, "Target Folder: ");
  Print(console, color::kGrey, PadToWidth(ShortenPath(folder, style), kShortPathLimit));
  Print(console, color::kDarkGrey, " " + std::string(box::kSide) + "\n");
}

}  // namespace

void Print(Console& console, int attribute, std::string_view text) {
  console.SetColor(attribute);
  console.Write(text);
}

std::string RepeatText(std::string_view piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

void PrintHeaderBox(Console& console, const HeaderBox& header, PathStyle style) {
  PrintRule(console, box::kTopLeft, box::kDouble, box::kTopRight);
  PrintTitleRow(console, header);
  if (header.targetFolder) PrintFolderRows(console, *header.targetFolder, style);
  PrintRule(console, box::kBottomLeft, box::kDouble, box::kBottomRight);
}

std::string ShortenPath(std::string_view path, PathStyle style) {
  // Counted in characters: a folder named in any script keeps the border in place.
  if (TextWidth(path) <= kShortPathLimit) return std::string(path);
  const std::string_view marker = style == PathStyle::Windows ? ":\\" : "";
  std::string prefix;
  if (!marker.empty()) {
    const auto at = path.find(marker);
    if (at != std::string_view::npos) prefix = std::string(path.substr(0, at + marker.size()));
  }
  const int tailLength = 40 - static_cast<int>(TextWidth(prefix));
  if (tailLength <= 0) return FirstCharacters(path, kShortPathLimit);
  std::string tail = LastCharacters(path, static_cast<std::size_t>(tailLength));
  const char separator = Separator(style);
  const auto first = tail.find(separator);
  tail = first == std::string::npos ? separator + tail : tail.substr(first);
  return prefix + "..." + tail;
}

void ClearLine(Console& console, int width) {
  console.Write("\r" + std::string(static_cast<std::size_t>(width), ' ') + "\r");
}

}  // namespace vantor
