#include "base/text.h"

namespace vantor {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string Trim(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string PadRight(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

namespace {
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::size_t TextWidth(std::string_view text) {
  std::size_t width = 0;
  for (const char c : text)
    if (!IsContinuationByte(c)) ++width;
  return width;
}

std::string FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < text.size(); ++at) {
    if (IsContinuationByte(text[at])) continue;
    if (seen++ == count) break;
  }
  return std::string(text.substr(0, at));
}

std::string LastCharacters(std::string_view text, std::size_t count) {
  std::size_t at = text.size();
  for (std::size_t seen = 0; at > 0 && seen < count;)
    if (!IsContinuationByte(text[--at])) ++seen;
  return std::string(text.substr(at));
}

std::string PadToWidth(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t used = TextWidth(text);
  if (used < width) out.append(width - used, ' ');
  return out;
}

std::string ReasonText(const std::error_code& error) {
  std::string text = Trim(error.message());
  while (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace vantor
