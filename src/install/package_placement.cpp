#include "install/package_placement.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "base/paths.h"
#include "base/text.h"
#include "launcher/user_environment.h"

namespace fs = std::filesystem;

namespace vantor {
namespace {

struct StagedEntry {
  std::string source, target;
  bool folder = false;
};

// Parents before their children, the skipped top folder left out.
std::vector<StagedEntry> StagedEntries(const std::string& staging, const std::string& home,
                                       const std::string& skipped, PathStyle style) {
  std::vector<StagedEntry> entries;
  std::error_code ec;
  fs::recursive_directory_iterator it(ToFsPath(staging), fs::directory_options::none, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string source = FromFsPath(it->path());
    if (!skipped.empty() && source == skipped) {
      it.disable_recursion_pending();
      continue;
    }
    std::string target = home;
    for (const auto& part : it->path().lexically_relative(ToFsPath(staging)))
      target = JoinPath(target, FromFsPath(part), style);
    std::error_code typeError;
    entries.push_back({source, target, it->is_directory(typeError)});
  }
  return entries;
}

fs::file_status LinkStatus(const std::string& path) {
  std::error_code ec;
  return fs::symlink_status(ToFsPath(path), ec);
}

Placement CheckTargets(const std::string& home, const std::vector<StagedEntry>& entries) {
  if (IsLink(home)) return {PlaceOutcome::LinkInHome, home};
  for (const auto& entry : entries) {
    const fs::file_status status = LinkStatus(entry.target);
    if (!fs::exists(status) || fs::is_directory(status)) {
      if (fs::is_directory(status) && !entry.folder)
        return {PlaceOutcome::FolderInTheWay, entry.target};
      continue;
    }
    if (!fs::is_regular_file(status)) return {PlaceOutcome::LinkInHome, entry.target};
  }
  return {};
}

// An identical file loses nothing when it is replaced; any other goes to
// the bin first. Empty when the target is out of the way, else the reason.
std::string SetAside(Context& context, const std::string& target, const std::string& source) {
  if (!fs::is_regular_file(LinkStatus(target))) return {};
  if (SameFileContent(target, source)) return {};
  return MoveToSweepBin(context, target, LastComponent(target));
}

Placement Place(Context& context, const StagedEntry& entry) {
  std::error_code ec;
  if (std::string reason = SetAside(context, entry.target, entry.source); !reason.empty())
    return {PlaceOutcome::NotBinned, entry.target, std::move(reason)};
  if (entry.folder) {
    if (fs::is_directory(LinkStatus(entry.target))) return {};
    fs::remove(ToFsPath(entry.target), ec);  // an identical file where the folder goes
    fs::create_directory(ToFsPath(entry.target), ec);
  } else {
    fs::rename(ToFsPath(entry.source), ToFsPath(entry.target), ec);
  }
  return ec ? Placement{PlaceOutcome::MoveFailed, entry.target, ReasonText(ec)} : Placement{};
}

}  // namespace

std::string StagedTopFolder(const std::string& staging, const std::string& name, PathStyle style) {
  std::error_code ec;
  for (fs::directory_iterator it(ToFsPath(staging), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string found = FromFsPath(it->path().filename());
    const bool same =
        style == PathStyle::Windows ? ToLowerAscii(found) == ToLowerAscii(name) : found == name;
    std::error_code typeError;
    if (same && it->is_directory(typeError)) return FromFsPath(it->path());
  }
  return {};
}

bool IsLink(const std::string& path) {
  const fs::file_status status = LinkStatus(path);
  return fs::is_symlink(status) || status.type() == fs::file_type::unknown;
}

Placement PlaceStagedPackage(Context& context, const std::string& staging, const std::string& home,
                             const std::string& skipped) {
  const auto entries = StagedEntries(staging, home, skipped, context.Style());
  const Placement checked = CheckTargets(home, entries);
  if (checked.outcome != PlaceOutcome::Placed) return checked;
  for (const auto& entry : entries) {
    const Placement placed = Place(context, entry);
    if (placed.outcome != PlaceOutcome::Placed) return placed;
  }
  return {};
}

}  // namespace vantor
