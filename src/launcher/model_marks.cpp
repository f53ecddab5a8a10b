#include "launcher/model_marks.h"

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

// Release numbers of the "#UGC:" line: 3200 Creo 1, 3300 Creo 2, ... 4300
// Creo 12. Smaller numbers are the predecessors' releases.
constexpr int kFirstCreoRelease = 3200;
constexpr int kReleaseStep = 100;
constexpr int kLastPlausibleRelease = 9999;
// The release field: "#UGC:2 <kind> n1 n2 n3 n4 n5 n6 n7", n7 is the 9th word.
constexpr std::size_t kReleaseWord = 8;

// Marks that carry a build code instead of a number. P-20 files carry the
// same release number in their header as files marked "Creo TM 3.0".
struct BuildCode {
  std::string_view code;
  int version;
};
constexpr BuildCode kBuildCodes[] = {{"P-20", 3}};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Reads the text of one line from left to right, letters without regard to case.
class Cursor {
 public:
  explicit Cursor(std::string_view line) : line_(line) {}
  bool Take(std::string_view word) {
    if (ToLowerAscii(line_.substr(at_, word.size())) != word) return false;
    at_ += word.size();
    return true;
  }
  bool TakeBlanks() {
    const std::size_t from = at_;
    while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
    return at_ > from;
  }
  std::string_view TakeDigits() {
    const std::size_t from = at_;
    while (at_ < line_.size() && IsDigit(line_[at_])) ++at_;
    return line_.substr(from, at_ - from);
  }
  bool AtWordEnd() const { return at_ >= line_.size() || !IsWordChar(line_[at_]); }
  char Peek() const { return at_ < line_.size() ? line_[at_] : '\0'; }
  void Skip() { ++at_; }

 private:
  std::string_view line_;
  std::size_t at_ = 0;
};

// Version and release numbers are small; longer digit runs are no number.
constexpr std::int64_t kNumberLimit = 999999;

std::optional<int> SmallNumber(std::string_view digits) {
  const auto value = ParseWholeNumber(digits, kNumberLimit);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// "L-05" of "Version L-05-49".
std::optional<std::string> BuildCodeOf(Cursor& cursor) {
  if (!cursor.Take("version") || !cursor.TakeBlanks()) return std::nullopt;
  const char letter = cursor.Peek();
  if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return std::nullopt;
  cursor.Skip();
  if (!cursor.Take("-")) return std::nullopt;
  const std::string_view major = cursor.TakeDigits();
  if (major.empty() || !cursor.Take("-") || cursor.TakeDigits().empty()) return std::nullopt;
  return ToUpperAscii(std::string(1, letter)) + "-" + std::string(major);
}

// A "#Creo TM" mark: its number, a known build code's version, or 0.
std::optional<int> CreoMarkOf(std::string_view line) {
  Cursor cursor(line);
  if (!cursor.Take("#creo") || !cursor.TakeBlanks() || !cursor.Take("tm") || !cursor.AtWordEnd())
    return std::nullopt;
  if (!cursor.TakeBlanks()) return 0;
  if (const auto number = SmallNumber(cursor.TakeDigits())) return *number;
  if (const auto code = BuildCodeOf(cursor))
    for (const auto& known : kBuildCodes)
      if (known.code == *code) return known.version;
  return 0;
}

bool NamesPredecessor(std::string_view line) {
  const std::string lower = ToLowerAscii(line);
  for (const std::string_view name : {"wildfire", "pro/engineer", "pt/products"})
    if (lower.find(name) != std::string::npos) return true;
  // "Creo Elements/Pro" was Wildfire 5 renamed.
  for (std::size_t at = lower.find("creo"); at != std::string::npos;
       at = lower.find("creo", at + 1)) {
    Cursor cursor(std::string_view(lower).substr(at + 4));
    if (cursor.TakeBlanks() && cursor.Take("elements/pro")) return true;
  }
  return false;
}

// The Creo release the "#UGC:" first line names, when it names one.
std::optional<int> ReleaseOf(std::string_view head) {
  const std::string_view first = head.substr(0, head.find_first_of("\r\n"));
  if (!StartsWith(ToUpperAscii(first.substr(0, 5)), "#UGC:")) return std::nullopt;
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at < first.size();) {
    while (at < first.size() && IsBlank(first[at])) ++at;
    const std::size_t from = at;
    while (at < first.size() && !IsBlank(first[at])) ++at;
    if (at > from) words.push_back(first.substr(from, at - from));
  }
  if (words.size() <= kReleaseWord) return std::nullopt;
  const std::string_view word = words[kReleaseWord];
  const auto release = SmallNumber(word);
  if (!release) return std::nullopt;
  if (*release < kFirstCreoRelease || *release > kLastPlausibleRelease) return std::nullopt;
  return (*release - kFirstCreoRelease) / kReleaseStep + 1;
}

// The first mark of the head, before the header's release is weighed.
ModelMark FirstMarkOf(std::string_view head) {
  std::size_t at = 0;
  while (at < head.size()) {
    std::size_t end = head.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = head.size();
    const std::string_view line = head.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line.front() != '#') continue;
    if (const auto creo = CreoMarkOf(line))
      return *creo > 0 ? ModelMark{MarkKind::Creo, *creo} : ModelMark{MarkKind::UnknownCreo, 0};
    if (NamesPredecessor(line)) return {MarkKind::Predecessor, 0};
  }
  return {};
}

}  // namespace

ModelMark VersionMarkOf(std::string_view head) {
  const ModelMark mark = FirstMarkOf(head);
  if (mark.kind != MarkKind::UnknownCreo && mark.kind != MarkKind::Predecessor) return mark;
  if (const auto release = ReleaseOf(head)) return {MarkKind::Creo, *release};
  return mark;
}

}  // namespace vantor
