// Moving one file into or out of the bin so that it is never lost: a rename
// on one volume; across volumes a copy under a temporary name beside the
// target, checked for its size, renamed over the target, then the original
// deleted.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

enum class MoveOutcome {
  Moved,               // the file is at `to` and gone from `from`
  SourceGone,          // nothing was at `from` (another run took it): nothing done
  NotMoved,            // the file is still at `from`; `to` is as it was
  CopiedSourceStayed,  // a whole copy is at `to`, but `from` could not be deleted
};

struct MoveResult {
  MoveOutcome outcome = MoveOutcome::NotMoved;
  std::string reason;  // the system's words when not Moved
  explicit operator bool() const { return outcome == MoveOutcome::Moved; }
};

// The temporary name of a copy on its way to `to`: "<to>.<token>.partial".
// A journal naming `token` lets whoever folds it remove a copy cut short.
std::string PartialPathOf(const std::string& to, std::string_view token);

// Moves `from` to `to`, replacing a file there and keeping the last-write
// time. A failed copy leaves no partial file behind.
MoveResult MoveFileSafely(const std::string& from, const std::string& to, std::string_view token);

}  // namespace vantor
