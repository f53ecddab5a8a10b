// Text going to and coming from the scripts: result fields split at a
// delimiter, and values made safe for a PowerShell string or encoded.
// The first byte of the input is the delimiter, the rest the text.
#include <array>

#include "base/text.h"
#include "fuzz_support.h"
#include "shell/script_host.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

constexpr std::array<std::string_view, 5> kSingleQuotes = {"'", "\u2018", "\u2019", "\u201A",
                                                           "\u201B"};
constexpr std::array<std::string_view, 4> kDoubleQuotes = {"\"", "\u201C", "\u201D", "\u201E"};

template <std::size_t N>
std::size_t QuoteLength(std::string_view text, std::size_t at,
                        const std::array<std::string_view, N>& quotes) {
  for (const auto quote : quotes)
    if (text.substr(at).starts_with(quote)) return quote.size();
  return 0;
}

void CheckFields(std::string_view text, char delimiter) {
  const auto fields = SplitFields(text, delimiter);
  std::size_t delimiters = 0;
  for (const char c : text) delimiters += c == delimiter;
  std::size_t expected = text.empty() ? 0 : delimiters + 1;
  if (!text.empty() && text.back() == delimiter) --expected;
  Expect(fields.size() == expected, "one field per delimiter, none after a final one");
  for (const auto& field : fields) {
    Expect(field == Trim(field), "fields are trimmed");
    Expect(field.find(delimiter) == std::string::npos, "no field holds the delimiter");
  }
}

// Inside single quotes PowerShell ends the string at any lone quote.
void CheckSingleQuoted(std::string_view value) {
  const std::string escaped = EscapeSingleQuoted(value);
  for (std::size_t i = 0; i < escaped.size();) {
    const std::size_t quote = QuoteLength(escaped, i, kSingleQuotes);
    if (!quote) {
      ++i;
      continue;
    }
    Expect(escaped.substr(i + quote, quote) == escaped.substr(i, quote), "quotes come doubled");
    i += 2 * quote;
  }
}

// Inside double quotes a backtick escapes what follows; a bare quote, "$"
// or backtick would end the string or expand something.
void CheckDoubleQuoted(std::string_view value) {
  const std::string escaped = EscapeDoubleQuoted(value);
  for (std::size_t i = 0; i < escaped.size();) {
    if (escaped[i] == '`') {
      Expect(i + 1 < escaped.size(), "no backtick ends the text");
      const std::size_t quote = QuoteLength(escaped, i + 1, kDoubleQuotes);
      i += 1 + (quote ? quote : 1);
      continue;
    }
    Expect(escaped[i] != '$' && !QuoteLength(escaped, i, kDoubleQuotes),
           "quotes and dollars are escaped");
    ++i;
  }
}

std::string DecodeBase64(std::string_view text) {
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (const char c : text) {
    if (c == '=') break;
    const std::size_t digit = kAlphabet.find(c);
    Expect(digit != std::string_view::npos, "only base64 digits");
    bits = (bits << 6) | static_cast<unsigned>(digit);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

void CheckEncoded(std::string_view value) {
  const std::string encoded = EncodeScriptText(value);
  Expect(encoded.size() % 4 == 0, "base64 comes in blocks of four");
  Expect(DecodeBase64(encoded) == value, "the script decodes what was encoded");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text = fuzz::AsText(data + 1, size - 1);
  CheckFields(text, static_cast<char>(data[0]));
  CheckSingleQuoted(text);
  CheckDoubleQuoted(text);
  CheckEncoded(text);
  return 0;
}
