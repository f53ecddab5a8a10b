#include "bin/history_log.h"

#include "base/paths.h"
#include "base/text.h"
#include "bin/history_line.h"
#include "bin/journal.h"

namespace vantor {
namespace {

// Temporary files of a log rewrite: ours ("<log>.vtmp<hex>") and the
// earlier version's ("<log>.<guid>.tmp").
bool IsRewriteLeftover(std::string_view name, std::string_view logName) {
  if (!StartsWith(name, logName) || name.size() <= logName.size()) return false;
  const std::string_view rest = name.substr(logName.size());
  return StartsWith(rest, ".vtmp") || (StartsWith(rest, ".") && EndsWith(rest, ".tmp"));
}

void RemoveRewriteLeftovers(const std::string& logFile) {
  const std::string folder = ParentFolder(logFile);
  const std::string logName = LastComponent(logFile);
  const auto entries = ListFolder(folder);
  if (!entries) return;
  const std::string base = logFile.substr(0, logFile.size() - logName.size());
  for (const auto& entry : *entries)
    if (entry.kind == EntryKind::File && IsRewriteLeftover(entry.name, logName))
      RemoveOneFile(base + entry.name);
}

std::vector<std::string> SplitLines(std::string_view text) {
  // A byte-order mark some editor put in front belongs to no line.
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

SystemResult<FileLock> LockHistory(const std::string& logFile, int timeoutMs) {
  return FileLock::Acquire(logFile + ".lock", timeoutMs);
}

bool IsLockBusy(const std::error_code& error) {
  // EWOULDBLOCK from flock; a sharing violation (32) or lock violation (33)
  // on Windows.
  if (error == std::errc::operation_would_block ||
      error == std::errc::resource_unavailable_try_again)
    return true;
  return error.category() == std::system_category() && (error.value() == 32 || error.value() == 33);
}

SystemResult<std::vector<std::string>> ReadHistoryLines(const std::string& logFile) {
  const auto text = ReadWholeFile(logFile);
  if (!text) {
    // Nothing there at all is an empty log; anything else is a reason.
    if (!PathEntry(logFile)) return std::vector<std::string>{};
    return text.error();
  }
  return SplitLines(*text);
}

std::error_code WriteHistoryLines(const std::string& logFile,
                                  const std::vector<std::string>& lines) {
  RemoveRewriteLeftovers(logFile);
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string content;
  content.reserve(size);
  for (const auto& line : lines) content.append(line).append("\r\n");
  return ReplaceFileAtomically(logFile, content);
}

std::error_code PutOnTopOfHistory(const std::string& logFile, const std::vector<std::string>& block,
                                  std::optional<std::int64_t> keepFromDay, int lockTimeoutMs) {
  // Held around the whole read-modify-write, so two writers at once never
  // lose each other's lines.
  const auto lock = LockHistory(logFile, lockTimeoutMs);
  if (!lock) return lock.error();
  const auto existing = ReadHistoryLines(logFile);
  if (!existing) return existing.error();  // never rewrite a log we could not read
  const JournalFold fold = FoldDeadJournals(logFile, *existing);
  std::vector<std::string> lines = block;
  lines.reserve(block.size() + fold.lines.size() + existing->size());
  lines.insert(lines.end(), fold.lines.begin(), fold.lines.end());
  for (const auto& line : *existing) {
    if (keepFromDay) {
      const auto day = LineDayStart(line);
      if (!day || *day < *keepFromDay) continue;
    }
    lines.push_back(line);
  }
  if (const std::error_code error = WriteHistoryLines(logFile, lines)) return error;
  for (const auto& journal : fold.settled) RemoveOneFile(journal);
  return {};
}

std::error_code PrependHistoryLine(const std::string& logFile, const std::string& line,
                                   int lockTimeoutMs) {
  return PutOnTopOfHistory(logFile, {line}, std::nullopt, lockTimeoutMs);
}

std::error_code FoldHistory(const std::string& logFile, int lockTimeoutMs) {
  if (JournalPaths(logFile).empty()) return {};
  // Rewritten even with no new line: that also clears a crash's temporary
  // file, and creates the log when the first sweep never wrote it.
  return PutOnTopOfHistory(logFile, {}, std::nullopt, lockTimeoutMs);
}

}  // namespace vantor
