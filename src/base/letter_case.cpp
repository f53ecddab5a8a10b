#include "base/letter_case.h"

namespace vantor {
namespace {

// Simple one-to-one case pairs: [first, last] lower-cases by `delta`, every
// code point or (alternating) every second one from `first`.
struct CaseRange {
  char32_t first, last;
  int delta;
  bool alternating;
};
constexpr CaseRange kCases[] = {
    {'A', 'Z', 32, false},
    {0xC0, 0xD6, 32, false},
    {0xD8, 0xDE, 32, false},
    {0x100, 0x12F, 1, true},
    {0x132, 0x137, 1, true},
    {0x139, 0x148, 1, true},
    {0x14A, 0x177, 1, true},
    {0x178, 0x178, -121, false},
    {0x179, 0x17E, 1, true},
    {0x1C4, 0x1C4, 2, false},
    {0x1C5, 0x1C5, 1, false},
    {0x1C7, 0x1C7, 2, false},
    {0x1C8, 0x1C8, 1, false},
    {0x1CA, 0x1CA, 2, false},
    {0x1CB, 0x1CB, 1, false},
    {0x1CD, 0x1DC, 1, true},
    {0x1DE, 0x1EF, 1, true},
    {0x1F1, 0x1F1, 2, false},
    {0x1F2, 0x1F2, 1, false},
    {0x1F8, 0x21F, 1, true},
    {0x386, 0x386, 0x26, false},
    {0x388, 0x38A, 0x25, false},
    {0x38C, 0x38C, 0x40, false},
    {0x38E, 0x38F, 0x3F, false},
    {0x391, 0x3A1, 32, false},
    {0x3A3, 0x3AB, 32, false},
    {0x400, 0x40F, 0x50, false},
    {0x410, 0x42F, 32, false},
    {0x460, 0x481, 1, true},
    {0x48A, 0x4BF, 1, true},
    {0x4D0, 0x52F, 1, true},
    {0x531, 0x556, 0x30, false},
    {0x1E00, 0x1E95, 1, true},
    {0x1EA0, 0x1EFF, 1, true},
    {0x212A, 0x212A, 'k' - 0x212A, false},
    {0x212B, 0x212B, 0xE5 - 0x212B, false},
    {0xFF21, 0xFF3A, 32, false},
};

bool InPattern(char32_t c, char32_t first, char32_t last, bool alternating) {
  return c >= first && c <= last && (!alternating || (c - first) % 2 == 0);
}

}  // namespace

char32_t LowerLetter(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  for (const auto& r : kCases)
    if (InPattern(c, r.first, r.last, r.alternating)) return static_cast<char32_t>(c + r.delta);
  return c;
}

char32_t UpperLetter(char32_t c) {
  if (c == 0xB5) return 0x39C;   // micro sign, as Greek capital mu
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 32 : c;
  for (const auto& r : kCases)
    if (InPattern(c, r.first + r.delta, r.last + r.delta, r.alternating))
      return static_cast<char32_t>(c - r.delta);
  return c;
}

std::u32string CodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC2 ? 2
                                        : 0;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; length > 1 && k < length; ++k) {
      const auto byte = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((byte & 0xC0) != 0x80) length = 0;
      code = (code << 6) | (byte & 0x3F);
    }
    if (length == 0 || lead > 0xF4) {
      out += static_cast<char32_t>(0xDC00 + lead);
      ++i;
    } else {
      out += code;
      i += length;
    }
  }
  return out;
}

std::u32string CaseBlindKey(std::string_view text) {
  std::u32string key = CodePoints(text);
  for (char32_t& c : key) c = LowerLetter(UpperLetter(c));
  return key;
}

}  // namespace vantor
