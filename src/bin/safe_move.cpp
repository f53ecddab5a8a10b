#include "bin/safe_move.h"

#include "base/text.h"
#include "platform/platform.h"

namespace vantor {
namespace {

MoveResult Failed(MoveOutcome outcome, const std::error_code& error) {
  return {outcome, ReasonText(error)};
}

// The copy half of a move across volumes.
MoveResult CopyAcross(const std::string& from, const std::string& to, std::string_view token) {
  const auto source = PathEntry(from);
  if (!source) return Failed(MoveOutcome::SourceGone, source.error());
  const std::string temp = PartialPathOf(to, token);
  std::error_code error = CopyToNewFile(from, temp);
  if (!error) {
    const auto copy = PathEntry(temp);
    if (!copy)
      error = copy.error();
    else if (copy->size != source->size)
      error = std::make_error_code(std::errc::io_error);
  }
  if (!error) error = SetLastWriteTime(temp, source->lastWriteNs);
  if (!error) error = RenameWithinVolume(temp, to);
  if (error) {
    RemoveOneFile(temp);
    return Failed(MoveOutcome::NotMoved, error);
  }
  if (const std::error_code stayed = RemoveOneFile(from))
    return Failed(MoveOutcome::CopiedSourceStayed, stayed);
  return {MoveOutcome::Moved, ""};
}

}  // namespace

std::string PartialPathOf(const std::string& to, std::string_view token) {
  return to + "." + std::string(token) + ".partial";
}

MoveResult MoveFileSafely(const std::string& from, const std::string& to, std::string_view token) {
  const std::error_code renamed = RenameWithinVolume(from, to);
  if (!renamed) return {MoveOutcome::Moved, ""};
  // Only another volume calls for a copy. Any other refusal (the file held
  // open, no right to remove it) would leave the original behind a copy.
  if (renamed == std::errc::cross_device_link) return CopyAcross(from, to, token);
  if (!PathEntry(from)) return Failed(MoveOutcome::SourceGone, renamed);
  return Failed(MoveOutcome::NotMoved, renamed);
}

}  // namespace vantor
