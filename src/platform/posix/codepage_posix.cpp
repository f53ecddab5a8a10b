// Windows-1252 stands in for the system code page of a Windows machine.
#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "platform/utf8.h"

namespace vantor {
namespace {

// 0x80-0x9F; the five bytes Windows-1252 leaves undefined map to the C1
// control of the same value, as Windows does, so every byte survives.
constexpr std::array<char16_t, 32> kC1Range = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t FromByte(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kC1Range[byte - 0x80];
  return byte;
}

std::optional<char> ToByte(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (std::size_t i = 0; i < kC1Range.size(); ++i)
    if (kC1Range[i] == code) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

}  // namespace

std::string SystemCodePageToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) AppendUtf8(out, FromByte(static_cast<std::uint8_t>(c)));
  return out;
}

std::optional<std::string> Utf8ToSystemCodePage(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t code = 0;
    const std::size_t length = DecodeUtf8(utf8, i, code);
    const auto byte = length ? ToByte(code) : std::nullopt;
    if (!byte) return std::nullopt;
    out += *byte;
    i += length;
  }
  return out;
}

}  // namespace vantor
