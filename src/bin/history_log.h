// The history log as a whole file: its lock, reading, the atomic rewrite
// and putting new lines on top with the journals folded in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/shared_constants.h"
#include "platform/platform.h"

namespace vantor {

// The exclusive lock every writer of the log holds around its
// read-modify-write: "<log>.lock". The reason when it stays busy for
// `timeoutMs` (see IsLockBusy) or cannot be opened.
SystemResult<FileLock> LockHistory(const std::string& logFile,
                                   int timeoutMs = kHistoryLockTimeoutMs);
// True for the reason of a lock another process holds.
bool IsLockBusy(const std::error_code& error);

// The log's lines without line ends; none when there is no log. The reason
// when it exists but cannot be read: such a log is never rewritten.
SystemResult<std::vector<std::string>> ReadHistoryLines(const std::string& logFile);

// Replaces the log whole with `lines`, each ended by CR LF, through a
// temporary file renamed over it. Call with the lock held: temporary files
// a crash left beside the log are removed first.
std::error_code WriteHistoryLines(const std::string& logFile,
                                  const std::vector<std::string>& lines);

// Puts `block` on top of the log under its lock, followed by the lines of
// dead journals and then the old lines; the folded journals are deleted
// once written. With `keepFromDay` (local seconds), old lines that are not
// dated or whose day starts before it are dropped. Creates the log when
// missing. The reason when nothing was written; the log is then as it was.
std::error_code PutOnTopOfHistory(const std::string& logFile, const std::vector<std::string>& block,
                                  std::optional<std::int64_t> keepFromDay = std::nullopt,
                                  int lockTimeoutMs = kHistoryLockTimeoutMs);

// One line on top, nothing pruned (launch events, replaced settings files).
std::error_code PrependHistoryLine(const std::string& logFile, const std::string& line,
                                   int lockTimeoutMs = kHistoryLockTimeoutMs);

// Folds dead journals into the log when there are any (taking the lock only
// then), creating the log if needed. The reason when that failed; the
// journals then stay for next time.
std::error_code FoldHistory(const std::string& logFile, int lockTimeoutMs = kHistoryLockTimeoutMs);

}  // namespace vantor
