// The sweep of one folder: clutter and surplus model iterations into the
// bin, aged files out of it, every move journaled first and logged last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/shared_constants.h"
#include "bin/history_line.h"
#include "platform/platform.h"

namespace vantor {

struct SweepRequest {
  std::string targetFolder;  // a full path
  std::string binFolder;
  std::string logFile;
  std::int64_t keepCount = 0;
  std::int64_t maxDays = 0;
  std::vector<std::string> rules;  // clutter rules
  PathStyle style = PathStyle::Posix;
  BinTime now;
  std::string decimalSeparator = ".";
  int lockTimeoutMs = kHistoryLockTimeoutMs;
};

enum class LogState { Written, Locked, Failed };

struct SweepOutcome {
  // Not empty when the folder could not be read: nothing moved.
  std::string stopped;
  std::int64_t clutterCount = 0;
  std::uint64_t clutterBytes = 0;
  std::int64_t modelCount = 0;
  std::uint64_t modelBytes = 0;
  LogState log = LogState::Written;
  std::string logReason;  // why the log was not written
  // Files the sweep meant to move that stayed, and the first reason.
  std::int64_t notMoved = 0;
  std::string notMovedReason;
};

// The whole sweep, in the order that keeps it safe: dead journals folded,
// aged files purged before new ones arrive, clutter before iterations (a
// model matched by a rule goes as clutter), the log last.
SweepOutcome SweepFolder(const SweepRequest& request);

// Deletes bin files last written before `cutoffNs` (the log and the files
// beside it stay), then folders below the bin left empty, deepest first.
// Links are never followed.
void PurgeBin(const std::string& binFolder, const std::string& logFile, std::int64_t cutoffNs,
              PathStyle style);

}  // namespace vantor
