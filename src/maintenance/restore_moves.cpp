#include "maintenance/restore_moves.h"

#include <algorithm>
#include <optional>

#include "base/paths.h"
#include "base/shared_constants.h"
#include "base/text.h"
#include "bin/history_line.h"
#include "bin/history_log.h"
#include "bin/journal.h"
#include "bin/safe_move.h"

namespace vantor {
namespace {

// Restores named per journal flush.
constexpr std::size_t kJournalBatch = 256;

struct Plan {
  const SweptFile* file;
  std::string token;        // names the files a move may leave on the way
  std::string source;       // the copy in the bin
  std::string destination;  // where it goes back to
  std::string displacedAt;  // where the file in the way goes; empty when none
  std::string displacedLine;
};

bool IsFile(const std::string& path) {
  const auto entry = PathEntry(path);
  return entry && entry->kind == EntryKind::File;
}

// A bin name for the file in the way that no other file of the bin has.
std::string FreeDisplacedPath(const Plan& plan, const RestoreTarget& target) {
  const std::string folder = ParentFolder(plan.source);
  const std::string base = DisplacedName(plan.file->name, target.now);
  std::string path = JoinPath(folder, base, target.style);
  for (int n = 2; PathExists(path); ++n)
    path = JoinPath(folder, DisplacedName(plan.file->name, target.now + " " + std::to_string(n)),
                    target.style);
  return path;
}

std::optional<Plan> PlanRestore(const SweptFile& file, const RestoreTarget& target) {
  // Purged meanwhile: nothing to bring back, and no folder to create for it.
  if (!IsFile(file.binPath)) return std::nullopt;
  Plan plan{&file,        UnpredictableName(),
            file.binPath, JoinPath(file.folder, file.name, target.style),
            {},           {}};
  const auto inTheWay = PathEntry(plan.destination);
  if (!inTheWay) return plan;
  // A folder or link of that name is never replaced.
  if (inTheWay->kind != EntryKind::File) return std::nullopt;
  plan.displacedAt = FreeDisplacedPath(plan, target);
  plan.displacedLine = FileLine(target.now, LastComponent(plan.displacedAt), file.folder,
                                SizeText(inTheWay->size, UserDecimalSeparator()), SweptKind::Model);
  return plan;
}

bool MoveBack(const Plan& plan) {
  if (CreateFolderChain(plan.file->folder)) return false;
  if (!plan.displacedAt.empty()) {
    // The file in the way steps into the bin under its own name first; its
    // log line is already written. A file that vanished meanwhile is no
    // longer in the way.
    const MoveResult aside = MoveFileSafely(plan.destination, plan.displacedAt, plan.token);
    if (aside.outcome == MoveOutcome::NotMoved) return false;
    if (aside.outcome == MoveOutcome::CopiedSourceStayed) return false;
    // Kept for the full retention period, as a swept file is.
    SetLastWriteTime(plan.displacedAt, BinTimeNow().utcNs);
  } else if (PathEntry(plan.destination)) {
    // Made since the list was read: the move would replace it. It stays,
    // and the swept copy stays in the bin.
    return false;
  }
  const MoveResult back = MoveFileSafely(plan.source, plan.destination, plan.token);
  if (back.outcome == MoveOutcome::Moved || back.outcome == MoveOutcome::CopiedSourceStayed)
    return true;
  // The swept copy did not go back: the file that was in the way returns.
  if (!plan.displacedAt.empty()) MoveFileSafely(plan.displacedAt, plan.destination, plan.token);
  return false;
}

std::vector<std::string> RecordsOf(const std::vector<Plan>& batch) {
  std::vector<std::string> records;
  for (const auto& plan : batch)
    records.push_back(RestoreRecord(plan.token, plan.source, plan.destination, plan.displacedLine));
  return records;
}

// The lines of the files a batch displaces go into the log before any moves:
// a line whose file never arrived only shows as gone, while a file in the bin
// without a line could never come back. Plans whose line could not be written
// do not displace anything and are dropped.
void LogDisplacedFiles(std::vector<Plan>& batch, const RestoreTarget& target) {
  std::vector<std::string> lines;
  for (const auto& plan : batch)
    if (!plan.displacedLine.empty()) lines.push_back(plan.displacedLine);
  if (lines.empty()) return;
  if (const std::error_code error = PutOnTopOfHistory(target.logFile, lines); !error) return;
  std::erase_if(batch, [](const Plan& plan) { return !plan.displacedLine.empty(); });
}

}  // namespace

std::string DisplacedName(const std::string& name, const std::string& now) {
  std::string stamp;
  for (const char c : now)
    if (c != ':') stamp += c;
  const std::size_t dot = name.find('.', 1);
  const std::string mark = " (displaced " + stamp + ")";
  if (dot == std::string::npos) return name + mark;
  return name.substr(0, dot) + mark + name.substr(dot);
}

int RestoreSweptFiles(const std::vector<SweptFile>& chosen, const RestoreTarget& target) {
  std::vector<Plan> plans;
  for (const auto& file : chosen)
    if (auto plan = PlanRestore(file, target)) plans.push_back(std::move(*plan));
  int restored = 0;
  if (plans.empty()) return restored;
  auto journal = Journal::Open(target.logFile);
  if (!journal) return restored;  // moves no journal could name are not made
  JournalEnd end = JournalEnd::Delete;
  for (std::size_t first = 0; first < plans.size(); first += kJournalBatch) {
    const auto last = plans.begin() + std::min(plans.size(), first + kJournalBatch);
    std::vector<Plan> batch(plans.begin() + first, last);
    if (journal->Append(RecordsOf(batch))) {
      end = JournalEnd::Keep;
      break;
    }
    LogDisplacedFiles(batch, target);
    for (const auto& plan : batch)
      if (MoveBack(plan)) ++restored;
  }
  // Every batch ended whole or was put back, so the records have done their
  // job; a journal whose append failed may hold half a record and stays.
  CloseJournal(std::move(*journal), end);
  RemoveEmptyMirrorFolders(target.binFolder, target.style);
  return restored;
}

void RemoveEmptyMirrorFolders(const std::string& binFolder, PathStyle style) {
  std::vector<std::string> folders;
  std::vector<std::string> pending{binFolder};
  while (!pending.empty()) {
    const std::string folder = pending.back();
    pending.pop_back();
    const auto entries = ListFolder(folder);
    if (!entries) continue;
    for (const auto& entry : *entries) {
      if (entry.kind != EntryKind::Folder) continue;
      folders.push_back(JoinPath(folder, entry.name, style));
      pending.push_back(folders.back());
    }
  }
  // Longest paths first, so a chain of nested empty folders goes in one pass;
  // removing a folder that still holds anything fails and keeps it.
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const auto& folder : folders) RemoveEmptyFolder(folder);
}

}  // namespace vantor
