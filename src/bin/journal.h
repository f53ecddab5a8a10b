// The journal of a run that moves files: written and flushed before the
// moves it names, folded into the history log by whoever next holds the
// log's lock once the run is gone. One file per run beside the log,
// "<log>.<token>.journal", held by the run while it lives. Records are
// UTF-8, tab-separated, one per line; a record without its line end was
// cut short and is ignored:
//   S  stamp  ticks  target                a sweep started (ticks: .NET local)
//   F  bin path  original path  line       a sweep is about to move a file
//   R  token  bin path  destination  line  a restore is about to move a file
//      back (line: the log line of the file it displaces, or empty)
// Journals left by the earlier script version have the same names and
// records and are folded alike.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "bin/history_line.h"
#include "platform/platform.h"

namespace vantor {

class Journal {
 public:
  // Creates a fresh journal beside `logFile`, held until Close.
  static SystemResult<Journal> Open(const std::string& logFile);
  Journal(Journal&&) noexcept = default;

  const std::string& Path() const { return path_; }
  // The journal's unpredictable part: names this run's partial copies.
  const std::string& Token() const { return token_; }
  // Appends whole records and flushes them to the disk.
  std::error_code Append(const std::vector<std::string>& records);

 private:
  Journal(HeldFile file, std::string path, std::string token)
      : file_(std::move(file)), path_(std::move(path)), token_(std::move(token)) {}
  HeldFile file_;
  std::string path_;
  std::string token_;
};

// Lets go of the journal; deletes it when its work reached the log.
enum class JournalEnd { Keep, Delete };
void CloseJournal(Journal journal, JournalEnd end);

std::string SweepStartRecord(const BinTime& start, std::string_view targetFolder);
std::string SweepFileRecord(std::string_view binPath, std::string_view original,
                            std::string_view line);
std::string RestoreRecord(std::string_view token, std::string_view binPath,
                          std::string_view destination, std::string_view displacedLine);

// The journals beside `logFile`, whoever holds them.
std::vector<std::string> JournalPaths(const std::string& logFile);

// What folding the dead journals gives: lines to put on top of the log
// (sweep blocks of moves the log lacks) and journals to delete once those
// lines are written. Restores cut short are finished or rolled back on the
// way; a journal whose restore could not be settled stays for next time.
struct JournalFold {
  std::vector<std::string> lines;
  std::vector<std::string> settled;
};
// Call with the log lock held. `existing`: the log's lines, so a journal
// folded twice adds nothing twice.
JournalFold FoldDeadJournals(const std::string& logFile, const std::vector<std::string>& existing);

// The records of a journal's text, cut-short last record dropped; paths
// in the \\?\ form the earlier version wrote are given in plain form.
std::vector<std::vector<std::string>> ReadJournalRecords(std::string_view text);

// The log block of one dead sweep journal: its event line and the lines of
// files it really moved that `known` lacks (added to `known`).
std::vector<std::string> SweepFoldLines(const std::vector<std::vector<std::string>>& records,
                                        std::unordered_set<std::string>& known);

}  // namespace vantor
