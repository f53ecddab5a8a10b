#include "bin/journal.h"

#include "base/paths.h"
#include "base/shared_constants.h"
#include "base/text.h"
#include "bin/safe_move.h"

namespace vantor {
namespace {

constexpr std::string_view kJournalEnd = ".journal";
// .NET counts 100 ns ticks from 0001-01-01; 1970 is this many ticks later.
constexpr std::int64_t kTicksAt1970 = 621355968000000000LL;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::int64_t LocalTicks(const BinTime& time) {
  const std::int64_t subSecond = ((time.utcNs % 1'000'000'000) + 1'000'000'000) % 1'000'000'000;
  return kTicksAt1970 + time.localSeconds * kTicksPerSecond + subSecond / 100;
}

// The earlier version wrote \\?\ paths into its records.
std::string PlainPath(std::string_view path) {
  if (StartsWith(path, "\\\\?\\UNC\\")) return "\\\\" + std::string(path.substr(8));
  if (StartsWith(path, "\\\\?\\")) return std::string(path.substr(4));
  return std::string(path);
}

std::vector<std::string> SplitAt(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != separator) continue;
    parts.emplace_back(text.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

bool IsFile(const std::string& path) {
  const auto entry = PathEntry(path);
  return entry && entry->kind == EntryKind::File;
}

std::optional<std::int64_t> ParseTicks(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Did the run that wrote the records move this file? Its copy is in the bin,
// and the file is gone from its folder or the copy carries the run's time.
bool SweptByRun(const std::string& binPath, const std::string& original, std::int64_t ticks) {
  const auto copy = PathEntry(binPath);
  if (!copy || copy->kind != EntryKind::File) return false;
  if (!PathEntry(original)) return true;
  const std::int64_t age = LocalTicks(BinTimeOf(copy->lastWriteNs)) - ticks;
  return (age < 0 ? -age : age) <= 2 * kTicksPerSecond;
}

bool Move(const std::string& from, const std::string& to, const std::string& token) {
  return static_cast<bool>(MoveFileSafely(from, to, token));
}

// Finishes or rolls back one restore of a dead journal, so the file stands
// either at its destination or in the bin where its log line says. False
// when a step failed (nothing is lost: each step moves a whole file).
bool SettleCutShortRestore(const std::vector<std::string>& f,
                           const std::unordered_set<std::string>& known) {
  const std::string& token = f[1];
  const std::string source = f[2];
  const std::string destination = f[3];
  RemoveOneFile(PartialPathOf(destination, token));
  RemoveOneFile(PartialPathOf(source, token));
  // A file the restore displaced steps into the bin's folder of the source
  // under the name of its log line.
  if (const auto displaced = ParseHistoryFileLine(f[4])) {
    const std::string folder = source.substr(0, source.find_last_of("\\/") + 1);
    RemoveOneFile(PartialPathOf(folder + displaced->name, token));
  }
  const std::string staging = source + "." + token + ".restoring";
  if (!IsFile(staging)) return true;
  const auto there = PathEntry(destination);
  if (!IsFile(source)) return Move(staging, source, token);
  if (!there) {
    // With nothing displaced the bin copy is a later sweep's: finish. A
    // displaced file is in the bin: finish when its log line made it.
    if (f[4].empty() || known.count(f[4])) return Move(staging, destination, token);
    return Move(source, destination, token) && Move(staging, source, token);
  }
  // Copied to its destination across volumes, cut short before the delete.
  const auto staged = PathEntry(staging);
  if (staged && there->size == staged->size) return !RemoveOneFile(staging);
  return true;
}

}  // namespace

SystemResult<Journal> Journal::Open(const std::string& logFile) {
  std::error_code error;
  for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
    const std::string token = UnpredictableName() + UnpredictableName();
    const std::string path = logFile + "." + token + std::string(kJournalEnd);
    auto file = HeldFile::CreateNew(path);
    if (file) return Journal(std::move(*file), path, token);
    error = file.error();
    if (error != std::errc::file_exists) break;
  }
  return error;
}

std::error_code Journal::Append(const std::vector<std::string>& records) {
  if (records.empty()) return {};
  std::string bytes;
  for (const auto& record : records) bytes += record + "\n";
  return file_.Append(bytes);
}

void CloseJournal(Journal journal, JournalEnd end) {
  const std::string path = journal.Path();
  { Journal closing = std::move(journal); }
  // One that cannot be deleted is folded again later and adds nothing.
  if (end == JournalEnd::Delete) RemoveOneFile(path);
}

std::string SweepStartRecord(const BinTime& start, std::string_view targetFolder) {
  return "S\t" + HistoryTimestamp(start) + "\t" + std::to_string(LocalTicks(start)) + "\t" +
         std::string(targetFolder);
}

std::string SweepFileRecord(std::string_view binPath, std::string_view original,
                            std::string_view line) {
  return "F\t" + std::string(binPath) + "\t" + std::string(original) + "\t" + std::string(line);
}

std::string RestoreRecord(std::string_view token, std::string_view binPath,
                          std::string_view destination, std::string_view displacedLine) {
  return "R\t" + std::string(token) + "\t" + std::string(binPath) + "\t" +
         std::string(destination) + "\t" + std::string(displacedLine);
}

std::vector<std::string> JournalPaths(const std::string& logFile) {
  const std::string folder = ParentFolder(logFile);
  const std::string prefix = LastComponent(logFile) + ".";
  std::vector<std::string> paths;
  const auto entries = ListFolder(folder);
  if (!entries) return paths;  // no bin yet: nothing was ever journaled
  for (const auto& entry : *entries)
    if (entry.kind == EntryKind::File && StartsWith(entry.name, prefix) &&
        EndsWith(entry.name, kJournalEnd))
      paths.push_back(logFile.substr(0, logFile.size() - LastComponent(logFile).size()) +
                      entry.name);
  return paths;
}

std::vector<std::vector<std::string>> ReadJournalRecords(std::string_view text) {
  std::vector<std::vector<std::string>> records;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos;
       start = end + 1, end = text.find('\n', start)) {
    auto fields = SplitAt(text.substr(start, end - start), '\t');
    const bool move = fields[0] == "F" && fields.size() == 4;
    const bool restore = fields[0] == "R" && fields.size() == 5;
    if (move) fields[1] = PlainPath(fields[1]), fields[2] = PlainPath(fields[2]);
    if (restore) fields[2] = PlainPath(fields[2]), fields[3] = PlainPath(fields[3]);
    records.push_back(std::move(fields));
  }
  return records;
}

std::vector<std::string> SweepFoldLines(const std::vector<std::vector<std::string>>& records,
                                        std::unordered_set<std::string>& known) {
  const std::vector<std::string>* start = nullptr;
  std::optional<std::int64_t> ticks;
  std::vector<std::string> clutter, models;
  for (const auto& f : records) {
    if (f[0] == "S" && f.size() == 4) start = &f, ticks = ParseTicks(f[2]);
    if (f[0] != "F" || f.size() != 4 || !start || !ticks || known.count(f[3])) continue;
    if (!SweptByRun(f[1], f[2], *ticks)) continue;
    known.insert(f[3]);
    (EndsWith(f[3], " [Clutter]") ? clutter : models).push_back(f[3]);
  }
  if (clutter.empty() && models.empty()) return {};
  std::vector<std::string> block{
      SweepEventLine((*start)[1], static_cast<std::int64_t>(models.size()),
                     static_cast<std::int64_t>(clutter.size()), (*start)[3])};
  SortLikeTheLog(clutter);
  SortLikeTheLog(models);
  block.insert(block.end(), clutter.begin(), clutter.end());
  block.insert(block.end(), models.begin(), models.end());
  return block;
}

JournalFold FoldDeadJournals(const std::string& logFile, const std::vector<std::string>& existing) {
  std::unordered_set<std::string> known(existing.begin(), existing.end());
  JournalFold fold;
  for (const auto& path : JournalPaths(logFile)) {
    const auto text = ReadUnheldFile(path);
    if (!text) continue;  // held by a live run (or gone): not ours to fold
    const auto records = ReadJournalRecords(*text);
    // A copy across volumes cut short carries the journal's token.
    const std::string name = LastComponent(path);
    const std::size_t head = LastComponent(logFile).size() + 1;
    const std::string token = name.substr(head, name.size() - head - kJournalEnd.size());
    for (const auto& f : records)
      if (f[0] == "F" && f.size() == 4) RemoveOneFile(PartialPathOf(f[1], token));
    bool settled = true;
    for (const auto& f : records)
      if (f[0] == "R" && f.size() == 5 && !SettleCutShortRestore(f, known)) settled = false;
    const auto lines = SweepFoldLines(records, known);
    fold.lines.insert(fold.lines.end(), lines.begin(), lines.end());
    if (settled) fold.settled.push_back(path);
  }
  return fold;
}

}  // namespace vantor
