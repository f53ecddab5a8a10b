// How a Creo option file is stored. Creo writes its option files in the
// system code page; newer releases write UTF-8, mostly with a byte-order
// mark. A rewritten file keeps the encoding it had.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

enum class OptionEncoding { Utf8, Utf8WithBom, SystemCodePage };

struct OptionText {
  std::vector<std::string> lines;  // UTF-8, without line ends or byte-order mark
  OptionEncoding encoding = OptionEncoding::Utf8;
  // No byte-order mark and nothing beyond ASCII: any encoding would fit.
  bool plainAscii = true;
};

// Lines as a text-mode reader sees them: split at LF, the CR before it
// dropped, no empty last line for a final line end.
std::vector<std::string> SplitTextLines(std::string_view text);

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// A file that is not valid UTF-8 is read in the system code page.
OptionText DecodeOptionText(std::string_view bytes);

// What a file that `incoming` is merged into is written in: the master's own
// encoding; for an empty master the incoming file's; for a master of plain
// ASCII the incoming file's, without adding a byte-order mark.
OptionEncoding MergedEncoding(const OptionText& master, const OptionText& incoming);

// Every line followed by CR LF. A line the system code page cannot hold
// makes the whole file UTF-8 with a byte-order mark, so nothing is lost.
std::string EncodeOptionText(const std::vector<std::string>& lines, OptionEncoding encoding);

}  // namespace vantor
