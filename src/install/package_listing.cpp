#include "install/package_listing.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kExpansionFloor = 16 * kMiB;
constexpr std::uint64_t kExpansionCeiling = 2048 * kMiB;
constexpr std::uint64_t kExpansionFactor = 100;

// Lines without their CR (tar.exe writes CR LF), the last empty one dropped.
std::vector<std::string> ListingLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string field; in >> field;) fields.push_back(field);
  return fields;
}

// A "tar -tv" line: the mode (its first letter the kind of entry: '-' a
// file, 'd' a folder, 'l' a link, 'h' a hard link, 'c', 'b', 'p', 's'
// devices, pipes and sockets), links, owner, group, then the size.
std::optional<std::uint64_t> ParseSize(const std::vector<std::string>& fields) {
  if (fields.size() < 5) return std::nullopt;
  const auto size = ParseWholeNumber(fields[4], std::numeric_limits<std::int64_t>::max());
  if (!size) return std::nullopt;
  return static_cast<std::uint64_t>(*size);
}

}  // namespace

bool IsContainedEntryName(std::string_view name) {
  if (name.empty()) return true;
  if (name[0] == '/' || name[0] == '\\') return false;
  if (name.find(':') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

ListingVerdict CheckListing(std::string_view names, std::string_view details) {
  const auto nameLines = ListingLines(names);
  const auto detailLines = ListingLines(details);
  ListingVerdict verdict;
  if (nameLines.size() != detailLines.size()) {
    verdict.problem = EntryProblem::Unreadable;
    return verdict;
  }
  for (std::size_t i = 0; i < nameLines.size(); ++i) {
    const auto fields = Fields(detailLines[i]);
    const auto size = ParseSize(fields);
    verdict.entry = nameLines[i];
    if (!size) {
      verdict.problem = EntryProblem::Unreadable;
      return verdict;
    }
    if (!IsContainedEntryName(nameLines[i])) {
      verdict.problem = EntryProblem::OutsideFolder;
      return verdict;
    }
    const char kind = fields[0][0];
    if (kind != '-' && kind != 'd') {
      verdict.problem = EntryProblem::LinkOrDevice;
      return verdict;
    }
    verdict.expandedBytes += *size;
  }
  verdict.entry.clear();
  return verdict;
}

std::uint64_t ExpansionLimit(std::uint64_t packageBytes) {
  const std::uint64_t scaled = packageBytes > kExpansionCeiling / kExpansionFactor
                                   ? kExpansionCeiling
                                   : packageBytes * kExpansionFactor;
  return std::clamp(scaled, kExpansionFloor, kExpansionCeiling);
}

}  // namespace vantor
