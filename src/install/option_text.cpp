#include "install/option_text.h"

#include <cstdint>

#include "platform/platform.h"

namespace vantor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the well-formed UTF-8 sequence at `i`, 0 when there is none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t lead = at(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  else
    return 0;
  if (lead == 0xE0) low = 0xA0;   // overlong
  if (lead == 0xED) high = 0x9F;  // surrogates
  if (lead == 0xF0) low = 0x90;   // overlong
  if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  if (i + length > s.size() || at(i + 1) < low || at(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if ((at(i + k) & 0xC0) != 0x80) return 0;
  return length;
}

bool IsPlainAscii(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<std::uint8_t>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string line(text.substr(start, end - start));
    if (!last && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = SequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

OptionText DecodeOptionText(std::string_view bytes) {
  OptionText text;
  if (bytes.starts_with(kByteOrderMark) && IsValidUtf8(bytes.substr(kByteOrderMark.size()))) {
    text.encoding = OptionEncoding::Utf8WithBom;
    text.plainAscii = false;
    text.lines = SplitTextLines(bytes.substr(kByteOrderMark.size()));
  } else if (IsValidUtf8(bytes)) {
    text.plainAscii = IsPlainAscii(bytes);
    text.lines = SplitTextLines(bytes);
  } else {
    text.encoding = OptionEncoding::SystemCodePage;
    text.plainAscii = false;
    text.lines = SplitTextLines(SystemCodePageToUtf8(bytes));
  }
  return text;
}

OptionEncoding MergedEncoding(const OptionText& master, const OptionText& incoming) {
  if (!master.plainAscii) return master.encoding;
  if (master.lines.empty()) return incoming.encoding;
  return incoming.encoding == OptionEncoding::SystemCodePage ? OptionEncoding::SystemCodePage
                                                             : OptionEncoding::Utf8;
}

std::string EncodeOptionText(const std::vector<std::string>& lines, OptionEncoding encoding) {
  std::string utf8;
  for (const auto& line : lines) utf8 += line + "\r\n";
  if (encoding == OptionEncoding::Utf8) return utf8;
  if (encoding == OptionEncoding::SystemCodePage) {
    if (auto legacy = Utf8ToSystemCodePage(utf8)) return *legacy;
  }
  return std::string(kByteOrderMark) + utf8;
}

}  // namespace vantor
