// Small text rules shared by every job.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace vantor {

// Removes space, tab, CR and LF from both ends.
std::string Trim(std::string_view text);
// Byte-wise, ASCII letters only, as the C library's toupper/tolower in "C".
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
// `text` followed by spaces up to `width` (never cut).
std::string PadRight(std::string_view text, std::size_t width);
// Characters, not bytes, of UTF-8 text: each shows as one console cell.
std::size_t TextWidth(std::string_view text);
// The first, or the last, `count` characters of UTF-8 text.
std::string FirstCharacters(std::string_view text, std::size_t count);
std::string LastCharacters(std::string_view text, std::size_t count);
// `text` followed by spaces up to `width` characters (never cut).
std::string PadToWidth(std::string_view text, std::size_t width);

// The system's words for `error`, to stand inside a sentence: Windows ends
// its messages with a full stop and a line end, which are dropped.
std::string ReasonText(const std::error_code& error);

}  // namespace vantor
