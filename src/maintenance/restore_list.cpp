#include "maintenance/restore_list.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/letter_case.h"
#include "base/paths.h"
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_line.h"
#include "shell/context.h"

namespace vantor {
namespace {

bool IsPlainFileName(std::string_view name, PathStyle style) {
  if (name.empty() || name == "." || name == "..") return false;
  const std::string_view separators = style == PathStyle::Windows ? "\\/" : "/";
  return name.find_first_of(separators) == std::string_view::npos;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsRestorableFolder(std::string_view folder, PathStyle style) {
  bool complete = false;
  if (style == PathStyle::Posix) {
    complete = folder.starts_with('/');
  } else if (folder.size() > 2 && IsAsciiLetter(folder[0]) && folder[1] == ':') {
    complete = IsSeparator(folder[2]);
  } else if (folder.starts_with("\\\\") && folder.size() > 2 && folder[2] != '\\' &&
             folder[2] != '?' && folder[2] != '.') {
    const std::size_t share = folder.find('\\', 3);
    complete =
        share != std::string_view::npos && share + 1 < folder.size() && folder[share + 1] != '\\';
  }
  if (!complete) return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && !IsSeparator(folder[i])) continue;
    const std::string_view piece = folder.substr(start, i - start);
    if (piece == "." || piece == "..") return false;
    start = i + 1;
  }
  return true;
}

namespace {

// Which files the bin holds, one listing per mirror folder: a log of many
// lines asks about few folders.
class BinContents {
 public:
  explicit BinContents(PathStyle style) : style_(style) {}

  bool Holds(const std::string& path) {
    const std::string folder = ParentFolder(path);
    auto found = folders_.find(folder);
    if (found == folders_.end()) found = folders_.emplace(folder, List(folder)).first;
    const std::string name = LastComponent(path);
    if (found->second.exact.contains(name)) return true;
    if (style_ == PathStyle::Posix) return false;
    // Windows finds a file whatever the letter case of its name.
    if (found->second.folded.contains(CaseBlindKey(name))) return true;
    return !IsDirectory(path) && PathExists(path);
  }

 private:
  struct Names {
    std::unordered_set<std::string> exact;
    std::unordered_set<std::u32string> folded;
  };
  Names List(const std::string& folder) const {
    Names names;
    const auto entries = ListFolder(folder);
    if (!entries) return names;
    names.exact.reserve(entries->size());
    for (const auto& entry : *entries) {
      if (entry.kind != EntryKind::File) continue;
      names.exact.insert(entry.name);
      if (style_ == PathStyle::Windows) names.folded.insert(CaseBlindKey(entry.name));
    }
    return names;
  }

  PathStyle style_;
  std::unordered_map<std::string, Names> folders_;
};

std::u32string DedupKey(const SweptFile& file) {
  return CaseBlindKey(file.name) + U'\0' + CaseBlindKey(file.folder);
}

std::string TypeOrSize(const std::string& sizeColumn) {
  if (sizeColumn.find("[Clutter]") != std::string::npos) return "Clutter";
  std::string size;
  for (const char c : sizeColumn)
    if (c != '(' && c != ')') size += c;
  return size;
}

}  // namespace

RestoreList BuildRestoreList(std::string_view logText, const std::string& binFolder,
                             PathStyle style) {
  RestoreList list;
  std::unordered_set<std::u32string> seen;
  seen.reserve(logText.size() / 128);
  BinContents bin(style);
  std::size_t start = 0;
  while (start < logText.size()) {
    std::size_t end = logText.find('\n', start);
    if (end == std::string_view::npos) end = logText.size();
    const auto line = ParseHistoryFileLine(logText.substr(start, end - start));
    start = end + 1;
    if (!line) continue;
    auto file =
        std::optional<SweptFile>(SweptFile{line->time, line->name, line->folder, line->rest, {}});
    list.anyFileLine = true;
    // The log has its newest block on top: the first line of a file is its newest.
    if (!seen.insert(DedupKey(*file)).second) continue;
    if (!IsPlainFileName(file->name, style) || !IsRestorableFolder(file->folder, style)) continue;
    file->binPath = BinCopyPath(binFolder, file->folder, file->name, style);
    if (file->binPath.empty() || !bin.Holds(file->binPath)) continue;
    list.offered.push_back(std::move(*file));
  }
  return list;
}

std::string RestoreRowsText(const std::vector<SweptFile>& offered) {
  std::string text;
  for (const auto& file : offered) {
    const std::string when = file.time.substr(0, 16);  // without ":ss"
    text += PadToWidth(when, 26) + '\t' + PadToWidth(TypeOrSize(file.sizeColumn), 17) + '\t' +
            PadToWidth(file.name, 60) + '\t' + PadToWidth(file.folder, 120) + "\r\n";
  }
  return text;
}

std::string RestoreWindowTitle(const std::string& days) {
  const std::string gap = "      |      ";
  return std::string("Vantor Restore - v") + kVersionText + gap +
         "ACTION : Select items to restore, then click OK." + gap +
         "TIP : The filter bar is active." + gap + "NOTE : Files cannot be recovered after " +
         days + " days.";
}

}  // namespace vantor
