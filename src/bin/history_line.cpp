#include "bin/history_line.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "base/shared_constants.h"

namespace vantor {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

// Days from 1970-01-01 to a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// One code point of UTF-8 at `i` and its length; 0 for a malformed one.
std::size_t NextCodePoint(std::string_view s, std::size_t i, char32_t& code) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || i + length > s.size()) return 0;
  code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(s[i + k]);
    if ((byte & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// White space as .NET's Char.IsWhiteSpace sees it.
bool IsWhiteSpace(char32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Columns are padded as the log has always been written: in UTF-16 units.
std::size_t Utf16Width(std::string_view text) {
  std::size_t width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) width += byte >= 0xF0 ? 2 : 1;
  }
  return width;
}

std::string Padded(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t have = Utf16Width(text);
  if (have < width) out.append(width - have, ' ');
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "yyyy-MM-dd HH:mm:ss" by its shape (digits and separators).
bool IsTimestamp(std::string_view text) {
  static constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text.size() < kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i)
    if (kShape[i] == '0' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
  return true;
}

int Number(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// A sort key close to the culture-aware order ignoring case that the log's
// blocks were sorted in: symbols, then digits, then letters.
std::string CollationKey(std::string_view line) {
  std::string key;
  key.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    char rank = '\x01';
    if (IsDigit(c))
      rank = '\x02';
    else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
      rank = '\x03';
    else if (byte >= 0x80)
      rank = '\x04';
    key += rank;
    key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

}  // namespace

void SortLikeTheLog(std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(lines.size());
  for (auto& line : lines) keyed.emplace_back(CollationKey(line), std::move(line));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = std::move(keyed[i].second);
}

std::int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
         hour * 3600 + minute * 60 + second;
}

BinTime BinTimeOf(std::int64_t utcNs) {
  std::int64_t seconds = utcNs / kNsPerSecond;
  if (utcNs % kNsPerSecond < 0) --seconds;
  const std::time_t t = static_cast<std::time_t>(seconds);
  BinTime time{utcNs, seconds};
  if (const std::tm* local = std::localtime(&t))
    time.localSeconds = CivilSeconds(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                                     local->tm_hour, local->tm_min, local->tm_sec);
  return time;
}

BinTime BinTimeNow() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return BinTimeOf(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

std::string HistoryTimestamp(const BinTime& time) {
  const std::int64_t days =
      time.localSeconds >= 0 ? time.localSeconds / 86400 : (time.localSeconds - 86399) / 86400;
  const std::int64_t rest = time.localSeconds - days * 86400;
  // Civil date of `days` (Hinnant's inverse).
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(y), m,
                d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

std::string HistoryTimeNow() { return HistoryTimestamp(BinTimeNow()); }

std::string SizeText(std::uint64_t bytes, std::string_view separator) {
  const double size = static_cast<double>(bytes);
  double value = size;
  int decimals = 1;
  const char* unit = "B";
  if (bytes >= 1073741824ull) {
    value = size / 1073741824.0, decimals = 3, unit = "GB";
  } else if (bytes >= 1048576ull) {
    value = size / 1048576.0, decimals = 2, unit = "MB";
  } else if (bytes >= 1024ull) {
    value = size / 1024.0, unit = "KB";
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  std::string out = text;
  // snprintf writes "." in the "C" locale the program keeps.
  if (const auto dot = out.find('.'); dot != std::string::npos) out.replace(dot, 1, separator);
  return out;
}

std::string FileLine(std::string_view time, std::string_view name, std::string_view folder,
                     std::string_view sizeText, SweptKind kind) {
  std::string line(time);
  line += " | " + Padded(name, kHistoryNameWidth) + " | " + Padded(folder, kHistoryFolderWidth);
  line += " | (";
  line += sizeText;
  line += kind == SweptKind::Clutter ? ") [Clutter]" : ")";
  return line;
}

std::string SweepEventLine(std::string_view time, std::int64_t models, std::int64_t clutter,
                           std::string_view targetFolder) {
  const std::string event =
      "SWEEP - " + std::to_string(models) + " Models, " + std::to_string(clutter) + " Clutter";
  return std::string(time) + " | " + Padded(event, kHistoryNameWidth) + " | " +
         std::string(targetFolder);
}

std::string LaunchEventLine(const std::string& time, const std::string& versionLabel,
                            const std::string& targetFolder) {
  return time + " | " + Padded("LAUNCH - CP " + versionLabel, kHistoryNameWidth) + " | " +
         targetFolder;
}

std::optional<HistoryFileLine> ParseHistoryFileLine(std::string_view line) {
  if (!IsTimestamp(line)) return std::nullopt;
  HistoryFileLine parsed;
  parsed.time = std::string(line.substr(0, 19));
  std::string_view rest = line.substr(19);
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  if (rest.empty() || rest.front() != '|') return std::nullopt;
  rest.remove_prefix(1);
  const auto first = rest.find('|');
  if (first == std::string_view::npos) return std::nullopt;
  const auto second = rest.find('|', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  parsed.name = std::string(Trimmed(rest.substr(0, first)));
  parsed.folder = std::string(Trimmed(rest.substr(first + 1, second - first - 1)));
  parsed.rest = std::string(Trimmed(rest.substr(second + 1)));
  if (parsed.name.empty() || parsed.folder.empty()) return std::nullopt;
  return parsed;
}

bool IsLoggableName(std::string_view text) {
  if (text.empty()) return false;
  char32_t code = 0;
  bool lastWasSpace = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = NextCodePoint(text, i, code);
    if (length == 0 || code == '|' || IsControl(code) || code == 0x2028 || code == 0x2029)
      return false;
    lastWasSpace = IsWhiteSpace(code);
    if (i == 0 && lastWasSpace) return false;
    i += length;
  }
  return !lastWasSpace;
}

std::optional<std::int64_t> LineDayStart(std::string_view line) {
  if (line.size() < 10 || line[4] != '-' || line[7] != '-') return std::nullopt;
  for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    if (!IsDigit(line[i])) return std::nullopt;
  const int year = Number(line.substr(0, 4));
  const int month = Number(line.substr(5, 2));
  const int day = Number(line.substr(8, 2));
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return std::nullopt;
  if (month == 2 && day == 29 && !leap) return std::nullopt;
  return CivilSeconds(year, month, day, 0, 0, 0);
}

}  // namespace vantor
