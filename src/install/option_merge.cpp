#include "install/option_merge.h"

#include <unordered_map>
#include <unordered_set>

#include "base/text.h"
#include "install/option_text.h"

namespace vantor {
namespace {

enum class EntryKind { Blank, Comment, Replaceable, Repeatable };

// One line, or a mapkey with its continuation lines.
struct Entry {
  EntryKind kind = EntryKind::Blank;
  std::string identity;    // what a replaceable entry replaces by
  std::string normalized;  // what "the same entry" is compared by
  std::vector<std::string> lines;
};

constexpr std::string_view kBlanks = " \t";

std::string_view FirstToken(std::string_view trimmed) {
  return trimmed.substr(0, trimmed.find_first_of(kBlanks));
}

std::string_view AfterFirstToken(std::string_view trimmed) {
  const std::size_t end = trimmed.find_first_of(kBlanks);
  if (end == std::string_view::npos) return {};
  const std::size_t start = trimmed.find_first_not_of(kBlanks, end);
  return start == std::string_view::npos ? std::string_view{} : trimmed.substr(start);
}

// The option name in lower case, then the value with every run of blanks
// outside double quotes read as one space: "def_layer\tLAYER_AXIS  A" and
// "DEF_LAYER LAYER_AXIS A" are the same line to Creo.
std::string NormalizedLine(std::string_view line) {
  const std::string trimmed = Trim(line);
  std::string out = ToLowerAscii(FirstToken(trimmed));
  bool quoted = false;
  bool blank = true;
  for (const char c : AfterFirstToken(trimmed)) {
    if (c == '"') quoted = !quoted;
    const bool isBlank = !quoted && (c == ' ' || c == '\t');
    if (isBlank) {
      blank = true;
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::string LowerName(std::string_view line) { return ToLowerAscii(FirstToken(Trim(line))); }

Entry MakeEntry(EntryKind kind, std::string identity, std::string line) {
  Entry entry{kind, std::move(identity), NormalizedLine(line), {}};
  entry.lines.push_back(std::move(line));
  return entry;
}

// Parses one option line starting at `i`; a mapkey takes its continuation
// lines along and moves `i` past them.
Entry ParseOption(const std::vector<std::string>& lines, std::size_t& i) {
  const std::string trimmed = Trim(lines[i]);
  const std::string name = ToLowerAscii(FirstToken(trimmed));
  const std::string_view sequence = FirstToken(AfterFirstToken(trimmed));
  if (name == "mapkey" && !sequence.empty()) {
    Entry block = MakeEntry(EntryKind::Replaceable, "mapkey " + std::string(sequence), lines[i]);
    while (i + 1 < lines.size() && LowerName(lines[i + 1]) == "mapkey(continued)") {
      block.lines.push_back(lines[++i]);
      block.normalized += "\n" + NormalizedLine(block.lines.back());
    }
    return block;
  }
  // A continuation without its mapkey, or a mapkey without a key sequence,
  // cannot replace anything: it is kept like a repeatable line.
  if (IsRepeatableOption(name) || name == "mapkey" || name == "mapkey(continued)")
    return MakeEntry(EntryKind::Repeatable, name, lines[i]);
  return MakeEntry(EntryKind::Replaceable, name, lines[i]);
}

std::vector<Entry> ParseEntries(const std::vector<std::string>& lines) {
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string trimmed = Trim(lines[i]);
    if (trimmed.empty())
      entries.push_back(MakeEntry(EntryKind::Blank, "", lines[i]));
    else if (trimmed[0] == '!')
      entries.push_back(Entry{EntryKind::Comment, "", trimmed, {lines[i]}});
    else
      entries.push_back(ParseOption(lines, i));
  }
  return entries;
}

class EntryMerge {
 public:
  explicit EntryMerge(std::vector<Entry> master) : entries_(std::move(master)) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const Entry& entry = entries_[i];
      if (entry.kind == EntryKind::Comment) masterComments_.insert(entry.normalized);
      if (entry.kind == EntryKind::Replaceable) lastOf_[entry.identity] = i;
      if (IsOption(entry)) ++present_[entry.normalized];
    }
    masterCount_ = entries_.size();
  }

  void Add(Entry entry) {
    switch (entry.kind) {
      case EntryKind::Blank:
        pendingBlanks_.push_back(std::move(entry));
        return;
      case EntryKind::Comment:
        if (masterComments_.count(entry.normalized)) return Skip();
        return Append(std::move(entry));
      case EntryKind::Repeatable:
        if (present_[entry.normalized] > 0) return Skip();
        return Append(std::move(entry));
      case EntryKind::Replaceable:
        // Creo reads the last line of a name: that one is the one to match
        // or to replace.
        if (const auto last = lastOf_.find(entry.identity); last != lastOf_.end()) {
          if (entries_[last->second].normalized == entry.normalized) return Skip();
          return Replace(last->second, std::move(entry));
        }
        return Append(std::move(entry));
    }
  }

  MergedOptions Lines() const {
    MergedOptions merged;
    const Entry* previous = nullptr;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (i == masterCount_) merged.appendedFrom = merged.lines.size();
      const Entry& entry = entries_[i];
      if (entry.lines.empty()) continue;  // an earlier copy that was dropped
      // Right under a mapkey block a stray continuation line would be read
      // as the block's last line: a blank line keeps it apart.
      if (previous && IsStrayContinuation(entry) && IsMapkeyBlock(*previous))
        merged.lines.push_back("");
      merged.lines.insert(merged.lines.end(), entry.lines.begin(), entry.lines.end());
      previous = &entry;
    }
    if (masterCount_ == entries_.size()) merged.appendedFrom = merged.lines.size();
    return merged;
  }

 private:
  static bool IsOption(const Entry& entry) {
    return entry.kind == EntryKind::Replaceable || entry.kind == EntryKind::Repeatable;
  }

  static bool IsMapkeyBlock(const Entry& entry) {
    return IsOption(entry) && entry.identity.starts_with("mapkey ");
  }

  static bool IsStrayContinuation(const Entry& entry) {
    return entry.kind == EntryKind::Repeatable && entry.identity == "mapkey(continued)";
  }

  // Blank lines belong to the line after them: with it skipped they go too.
  void Skip() { pendingBlanks_.clear(); }

  // The replaced line takes the place of the last copy; earlier copies of
  // a single-valued option are dead lines that would only mislead.
  void Replace(std::size_t last, Entry entry) {
    for (std::size_t i = 0; i < last; ++i) {
      Entry& copy = entries_[i];
      if (copy.kind != EntryKind::Replaceable || copy.identity != entry.identity) continue;
      --present_[copy.normalized];
      copy.lines.clear();
    }
    --present_[entries_[last].normalized];
    ++present_[entry.normalized];
    entries_[last] = std::move(entry);
    pendingBlanks_.clear();
  }

  void Append(Entry entry) {
    for (auto& blank : pendingBlanks_) entries_.push_back(std::move(blank));
    pendingBlanks_.clear();
    if (IsOption(entry)) ++present_[entry.normalized];
    if (entry.kind == EntryKind::Replaceable) lastOf_[entry.identity] = entries_.size();
    entries_.push_back(std::move(entry));
  }

  std::vector<Entry> entries_;
  std::size_t masterCount_ = 0;
  std::vector<Entry> pendingBlanks_;
  std::unordered_set<std::string> masterComments_;
  std::unordered_map<std::string, std::size_t> lastOf_;
  std::unordered_map<std::string, int> present_;
};

// A name (or mapkey sequence) that one file sets more than once is meant
// more than once: Creo wrote preferred_save_as_type five times itself, and
// a mapkey file may define a key twice. Such lines come as they stand.
void KeepRepeatsOfOneFile(std::vector<Entry>& entries) {
  std::unordered_map<std::string, int> count;
  for (const Entry& entry : entries)
    if (entry.kind == EntryKind::Replaceable) ++count[entry.identity];
  for (Entry& entry : entries)
    if (entry.kind == EntryKind::Replaceable && count[entry.identity] > 1)
      entry.kind = EntryKind::Repeatable;
}

}  // namespace

bool IsRepeatableOption(std::string_view lowerName) {
  // Toolkit registry files too: two add-ons that each register one must both
  // stay registered.
  for (const char* name :
       {"search_path", "search_path_file", "def_layer", "mapkey", "toolkit_registry_file",
        "protkdat", "creotkdat", "preferred_save_as_type"})
    if (lowerName == name) return true;
  return false;
}

MergedOptions MergeOptionFile(std::vector<std::string> master,
                              const std::vector<std::string>& incoming) {
  EntryMerge merge(ParseEntries(master));
  std::vector<Entry> entries = ParseEntries(incoming);
  KeepRepeatsOfOneFile(entries);
  for (Entry& entry : entries) merge.Add(std::move(entry));
  return merge.Lines();
}

std::string MergeOptionBytes(std::string_view master, std::string_view incoming) {
  const OptionText into = DecodeOptionText(master);
  const OptionText from = DecodeOptionText(incoming);
  return EncodeOptionText(MergeOptionLines(into.lines, from.lines), MergedEncoding(into, from));
}

std::string MergeMapkeyBytes(std::string_view master, std::string_view fileName,
                             std::string_view incoming) {
  const OptionText into = DecodeOptionText(master);
  const OptionText from = DecodeOptionText(incoming);
  MergedOptions merged = MergeOptionFile(into.lines, from.lines);
  if (merged.appendedFrom < merged.lines.size()) {
    const std::string rule = "! " + std::string(40, '-');
    const std::vector<std::string> marker = {
        "", rule, "! --- Appended by Vantor Extension: " + std::string(fileName) + " ---", rule};
    const auto at = merged.lines.begin() + static_cast<std::ptrdiff_t>(merged.appendedFrom);
    merged.lines.insert(at, marker.begin(), marker.end());
    merged.lines.push_back("");
  }
  return EncodeOptionText(merged.lines, MergedEncoding(into, from));
}

}  // namespace vantor
