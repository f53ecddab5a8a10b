// Shared presentation: coloured printing, header boxes, line clearing and
// the one-line form of long paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vantor {

// Box lines; the console layer turns them into the code page 437 bytes
// 0xC9 0xBB 0xC8 0xBC 0xCD 0xBA 0xC7 0xB6 0xC4.
namespace box {
inline constexpr std::string_view kTopLeft = "\u2554";
inline constexpr std::string_view kTopRight = "\u2557";
inline constexpr std::string_view kBottomLeft = "\u255A";
inline constexpr std::string_view kBottomRight = "\u255D";
inline constexpr std::string_view kDouble = "\u2550";
inline constexpr std::string_view kSide = "\u2551";
inline constexpr std::string_view kTeeLeft = "\u255F";
inline constexpr std::string_view kTeeRight = "\u2562";
inline constexpr std::string_view kSingle = "\u2500";
inline constexpr int kInnerWidth = 60;
inline constexpr int kTextWidth = 58;
}  // namespace box

// Sets `attribute`, then prints; the attribute stays set.
void Print(Console& console, int attribute, std::string_view text);

std::string RepeatText(std::string_view piece, int count);

struct HeaderBox {
  std::string title;                        // in colour 11
  std::string versionSuffix;                // in colour 8, "- v5.3" or " - v5.3"
  std::optional<std::string> targetFolder;  // adds the folder rows
};

// The double-line box the banner, the launcher and the sweep open with.
// Ends with "\n" after the bottom line and leaves colour 8 set.
void PrintHeaderBox(Console& console, const HeaderBox& header, PathStyle style);

// At most 43 characters of `path` for a one-line display.
std::string ShortenPath(std::string_view path, PathStyle style);

// "\r", `width` spaces, "\r".
void ClearLine(Console& console, int width);

}  // namespace vantor
