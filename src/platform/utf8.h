// UTF-8 encoding and decoding for the code page conversions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// Appends `code` (at most U+FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// Length of the UTF-8 sequence starting at `s[i]`, with its code point in
// `code`; 0 when the bytes there are not a well-formed sequence.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& code);

}  // namespace vantor
