#include "maintenance/sweep.h"

#include <algorithm>
#include <unordered_set>

#include "base/paths.h"
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_log.h"
#include "bin/journal.h"
#include "bin/safe_move.h"
#include "maintenance/sweep_rules.h"

namespace vantor {
namespace {

// Files moved per journal flush: a crash loses no record, and a big sweep
// does not wait for the disk after every file.
constexpr std::size_t kJournalBatch = 4096;
constexpr std::int64_t kNsPerDay = 86'400'000'000'000LL;

struct Moved {
  std::int64_t count = 0;
  std::uint64_t bytes = 0;
  std::vector<std::string> lines;
};

struct Shortfall {
  std::int64_t count = 0;
  std::string reason;
  void Add(std::int64_t files, const std::string& why) {
    count += files;
    if (reason.empty()) reason = why;
  }
};

// What a sweep of one folder works with.
struct Run {
  const SweepRequest& request;
  std::string mirror;  // the folder's place in the bin
  bool folderLoggable;
  std::string stamp;  // the time on every line of this run
  Journal* journal;
  Shortfall shortfall;
};

struct Planned {
  std::string name, source, target, line;
  std::uint64_t size;
};

// The regular files of the folder by name, with their sizes. Links are
// left alone: a sweep never follows one.
SystemResult<std::vector<FolderEntry>> FilesOf(const std::string& folder) {
  auto entries = ListFolder(folder);
  if (!entries) return entries.error();
  std::erase_if(*entries, [](const FolderEntry& e) { return e.kind != EntryKind::File; });
  return entries;
}

std::vector<std::string> NamesOf(const std::vector<FolderEntry>& files) {
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const auto& file : files) names.push_back(file.name);
  return names;
}

// The careful way for one file: the mirror folder made again, an older bin
// copy replaced, another volume crossed. True when the file left its folder.
bool MoveCarefully(Run& run, const Planned& file) {
  const bool hadCopy = static_cast<bool>(PathEntry(file.target));
  MoveResult result;
  // A sweep of another folder may remove an empty mirror folder between our
  // create and our move; the next try creates it again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    CreateFolderChain(run.mirror);
    result = MoveFileSafely(file.source, file.target, run.journal->Token());
    if (result.outcome != MoveOutcome::NotMoved || PathEntry(run.mirror)) break;
  }
  switch (result.outcome) {
    case MoveOutcome::Moved:
      return true;
    case MoveOutcome::SourceGone:
      return false;  // another run took it: that run logs it
    case MoveOutcome::NotMoved:
      run.shortfall.Add(1, result.reason);
      return false;
    case MoveOutcome::CopiedSourceStayed:
      // A spare copy in the bin would cost space and confuse a restore.
      if (!hadCopy) RemoveOneFile(file.target);
      run.shortfall.Add(1, "The file could not be removed from its folder (" + result.reason + ")");
      return false;
  }
  return false;
}

void MoveBatch(Run& run, const std::vector<Planned>& batch, Moved& moved) {
  std::vector<std::string> records;
  records.reserve(batch.size());
  for (const auto& file : batch)
    records.push_back(SweepFileRecord(file.target, file.source, file.line));
  // Unrecorded moves could be lost to a crash: these files stay.
  if (const std::error_code error = run.journal->Append(records)) {
    run.shortfall.Add(static_cast<std::int64_t>(batch.size()), ReasonText(error));
    return;
  }
  for (const auto& file : batch) {
    // The common case is one rename; anything else goes the careful way.
    if (RenameWithinVolume(file.source, file.target) && !MoveCarefully(run, file)) continue;
    // Retention counts from the sweep, not from the file's own age.
    SetLastWriteTime(file.target, run.request.now.utcNs);
    ++moved.count;
    moved.bytes += file.size;
    moved.lines.push_back(file.line);
  }
}

// Moves the named files of the folder into its mirror, a journaled batch
// at a time. Names a log line cannot hold stay, counted in the shortfall.
Moved MoveToMirror(Run& run, const std::vector<FolderEntry>& files,
                   const std::vector<std::string>& names, SweptKind kind) {
  Moved moved;
  if (names.empty()) return moved;
  std::unordered_set<std::string> wanted(names.begin(), names.end());
  const SweepRequest& request = run.request;
  std::vector<Planned> batch;
  std::int64_t unloggable = 0;
  for (const auto& file : files) {
    if (!wanted.count(file.name)) continue;
    if (!run.folderLoggable || !IsLoggableName(file.name)) {
      ++unloggable;
      continue;
    }
    const std::string size = SizeText(file.size, request.decimalSeparator);
    batch.push_back({file.name, JoinPath(request.targetFolder, file.name, request.style),
                     JoinPath(run.mirror, file.name, request.style),
                     FileLine(run.stamp, file.name, request.targetFolder, size, kind), file.size});
    if (batch.size() == kJournalBatch) MoveBatch(run, batch, moved), batch.clear();
  }
  if (!batch.empty()) MoveBatch(run, batch, moved);
  if (unloggable > 0)
    run.shortfall.Add(unloggable, run.mirror.empty()
                                      ? "the folder has no place in the bin"
                                      : "a name the history log cannot hold (line break, \"|\" "
                                        "or blanks at its ends)");
  return moved;
}

std::vector<std::string> SweepBlock(const Run& run, Moved& clutter, Moved& models) {
  std::vector<std::string> block{
      SweepEventLine(run.stamp, models.count, clutter.count, run.request.targetFolder)};
  for (Moved* set : {&clutter, &models}) {
    SortLikeTheLog(set->lines);
    block.insert(block.end(), set->lines.begin(), set->lines.end());
  }
  return block;
}

std::int64_t Cutoff(std::int64_t nowNs, std::int64_t maxDays) {
  // A retention longer than the calendar keeps everything.
  if (maxDays >= nowNs / kNsPerDay + 719162) return INT64_MIN;
  return nowNs - maxDays * kNsPerDay;
}

void WriteLog(const Run& run, std::vector<std::string> block, SweepOutcome& outcome) {
  const SweepRequest& request = run.request;
  const std::int64_t keepFromDay = request.maxDays >= request.now.localSeconds / 86400 + 719162
                                       ? INT64_MIN
                                       : request.now.localSeconds - request.maxDays * 86400;
  const std::error_code error =
      PutOnTopOfHistory(request.logFile, block, keepFromDay, request.lockTimeoutMs);
  if (!error) return;
  outcome.log = IsLockBusy(error) ? LogState::Locked : LogState::Failed;
  outcome.logReason = ReasonText(error);
}

}  // namespace

SweepOutcome SweepFolder(const SweepRequest& request) {
  SweepOutcome outcome;
  // Bin upkeep first; each step goes on past a file it cannot touch, and
  // what is left is tried again by the next run.
  FoldHistory(request.logFile, request.lockTimeoutMs);
  PurgeBin(request.binFolder, request.logFile, Cutoff(request.now.utcNs, request.maxDays),
           request.style);
  const auto listed = FilesOf(request.targetFolder);
  if (!listed) {
    outcome.stopped = ReasonText(listed.error());
    return outcome;
  }
  std::vector<std::string> clutterNames;
  if (ToLowerAscii(request.targetFolder).find("vantor_sweep") == std::string::npos)
    clutterNames = ClutterNames(NamesOf(*listed), request.rules);

  Run run{request,
          MirrorFolderOf(request.binFolder, request.targetFolder, request.style),
          IsLoggableName(request.targetFolder),
          HistoryTimestamp(request.now),
          nullptr,
          {}};
  if (run.mirror.empty()) run.folderLoggable = false;
  Moved clutter, models;
  auto journal = Journal::Open(request.logFile);
  std::error_code started = journal ? std::error_code() : journal.error();
  if (journal) started = journal->Append({SweepStartRecord(request.now, request.targetFolder)});
  if (started) {
    // Without a journal no file may move: a crash could lose it. They all stay.
    const auto waiting =
        clutterNames.size() + SurplusIterations(NamesOf(*listed), request.keepCount).size();
    if (waiting > 0) run.shortfall.Add(static_cast<std::int64_t>(waiting), ReasonText(started));
  } else {
    run.journal = &*journal;
    CreateFolderChain(run.mirror);
    clutter = MoveToMirror(run, *listed, clutterNames, SweptKind::Clutter);
    // A model matched by a rule went as clutter: the iterations are counted
    // among the rest. (Listing a big folder again would cost a look at
    // every file; one another run took meanwhile is simply passed over.)
    const std::unordered_set<std::string> taken(clutterNames.begin(), clutterNames.end());
    std::vector<FolderEntry> rest;
    for (const auto& file : *listed)
      if (!taken.count(file.name)) rest.push_back(file);
    models = MoveToMirror(run, rest, SurplusIterations(NamesOf(rest), request.keepCount),
                          SweptKind::Model);
  }
  outcome.clutterCount = clutter.count;
  outcome.clutterBytes = clutter.bytes;
  outcome.modelCount = models.count;
  outcome.modelBytes = models.bytes;
  WriteLog(run, SweepBlock(run, clutter, models), outcome);
  // A journal whose moves did not reach the log stays for the next run.
  if (journal)
    CloseJournal(std::move(*journal),
                 outcome.log == LogState::Written ? JournalEnd::Delete : JournalEnd::Keep);
  outcome.notMoved = run.shortfall.count;
  outcome.notMovedReason = run.shortfall.reason;
  return outcome;
}

}  // namespace vantor
