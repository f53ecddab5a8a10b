#include "install/package_staging.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/paths.h"
#include "base/shared_constants.h"
#include "base/text.h"
#include "install/package_listing.h"

namespace fs = std::filesystem;

namespace vantor {
namespace {

struct TarRun {
  StageOutcome outcome = StageOutcome::Staged;
  std::string output;
  std::string reason = {};
};

StageOutcome OutcomeOf(EntryProblem problem) {
  switch (problem) {
    case EntryProblem::OutsideFolder:
      return StageOutcome::OutsideFolder;
    case EntryProblem::LinkOrDevice:
      return StageOutcome::LinkOrDevice;
    case EntryProblem::NotZip:
    case EntryProblem::Unreadable:
      return StageOutcome::Corrupt;
    case EntryProblem::None:
      break;
  }
  return StageOutcome::Staged;
}

// The package's own zip directory, read before tar ever sees the file: tar
// would unpack any format it knows, whatever the file is called.
StagedPackage CheckArchiveDirectory(const std::string& archive, std::uint64_t packageBytes,
                                    std::uint64_t limit) {
  std::ifstream in(ToFsPath(archive), std::ios::binary);
  if (!in) return {StageOutcome::Corrupt, {}, {}, limit};
  const ArchiveReader read = [&in](std::uint64_t offset, std::size_t length) {
    std::string bytes(length, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    bytes.resize(in ? length : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
  };
  const ListingVerdict verdict = CheckZipDirectory(packageBytes, read);
  if (verdict.problem != EntryProblem::None)
    return {OutcomeOf(verdict.problem), {}, verdict.entry, limit};
  if (verdict.expandedBytes > limit) return {StageOutcome::TooLarge, {}, {}, limit};
  return {StageOutcome::Staged, {}, {}, limit};
}

// A folder made by this call under a name nobody can guess: an existing
// folder or link of that name is never used.
SystemResult<std::string> CreateStagingFolder(const std::string& home, PathStyle style) {
  for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
    const std::string folder = JoinPath(home, ".Vantor_Staging_" + UnpredictableName(), style);
    std::error_code ec;
    if (fs::create_directory(ToFsPath(folder), ec) && !ec) return folder;
    // A name already taken is tried again; any other failure would repeat.
    if (ec && ec != std::errc::file_exists) return ec;
  }
  return std::make_error_code(std::errc::file_exists);
}

// What tar unpacked, checked without following links: only folders and
// files with one name each, no larger in sum than the limit.
StagedPackage CheckStagedTree(const std::string& folder, std::uint64_t limit) {
  std::error_code ec;
  std::uint64_t total = 0;
  fs::recursive_directory_iterator it(ToFsPath(folder), fs::directory_options::none, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string entry = FromFsPath(it->path().lexically_relative(ToFsPath(folder)));
    std::error_code statusError;
    const fs::file_status status = it->symlink_status(statusError);
    if (statusError) return {StageOutcome::Corrupt, {}, entry, limit};
    if (fs::is_directory(status)) continue;
    if (!fs::is_regular_file(status) || it->hard_link_count(statusError) != 1 || statusError)
      return {StageOutcome::LinkOrDevice, {}, entry, limit};
    total += it->file_size(statusError);
    if (statusError) return {StageOutcome::Corrupt, {}, entry, limit};
    if (total > limit) return {StageOutcome::TooLarge, {}, {}, limit};
  }
  if (ec) return {StageOutcome::Corrupt, {}, {}, limit};
  return {StageOutcome::Staged, folder, {}, limit};
}

TarRun Extract(Context& context, const std::string& archive, const std::string& folder) {
  const ProgramCall call = ExtractArchiveCommand(archive, folder);
  const auto finished = context.system.RunProgram(call.program, call.arguments);
  if (!finished) return {StageOutcome::TarMissing, {}, ReasonText(finished.error())};
  if (!finished->output.empty()) context.console.Write(finished->output);
  return {finished->exitCode == 0 ? StageOutcome::Staged : StageOutcome::Corrupt, {}};
}

}  // namespace

StagedPackage StagePackage(Context& context, const std::string& archive, const std::string& home) {
  std::error_code ec;
  const auto packageBytes = fs::file_size(ToFsPath(archive), ec);
  if (ec) return {StageOutcome::Corrupt, {}, {}, 0};
  const std::uint64_t limit = ExpansionLimit(packageBytes);
  StagedPackage listed = CheckArchiveDirectory(archive, packageBytes, limit);
  if (listed.outcome != StageOutcome::Staged) return listed;

  const auto folder = CreateStagingFolder(home, context.Style());
  if (!folder) return {StageOutcome::NoStagingFolder, {}, {}, limit, ReasonText(folder.error())};
  const TarRun extracted = Extract(context, archive, *folder);
  StagedPackage staged = extracted.outcome == StageOutcome::Staged
                             ? CheckStagedTree(*folder, limit)
                             : StagedPackage{extracted.outcome, {}, {}, limit, extracted.reason};
  if (staged.outcome != StageOutcome::Staged) DiscardStaging(*folder);
  return staged;
}

void DiscardStaging(const std::string& folder) {
  std::error_code ec;
  fs::remove_all(ToFsPath(folder), ec);
}

}  // namespace vantor
