#include "install/package_listing.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace vantor {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kExpansionFloor = 16 * kMiB;
constexpr std::uint64_t kExpansionCeiling = 2048 * kMiB;
constexpr std::uint64_t kExpansionFactor = 100;

constexpr std::uint64_t kLocalSignature = 0x04034b50;
constexpr std::uint64_t kCentralSignature = 0x02014b50;
constexpr std::uint64_t kEndSignature = 0x06054b50;
constexpr std::uint64_t kZip64EndSignature = 0x06064b50;
constexpr std::uint64_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kLongestComment = 0xFFFF;
constexpr std::uint64_t kLargestDirectory = 64 * kMiB;
constexpr std::uint64_t kStored = 0;
constexpr std::uint64_t kDeflated = 8;
constexpr std::uint64_t kUnixHost = 3;

// Little-endian field of `width` bytes at `at`; 0 past the end of `bytes`.
std::uint64_t Field(std::string_view bytes, std::size_t at, int width) {
  if (at + static_cast<std::size_t>(width) > bytes.size()) return 0;
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

bool Saturated(std::uint64_t value, int width) {
  return value == (width == 2 ? 0xFFFFu : 0xFFFFFFFFu);
}

struct DirectoryBounds {
  std::uint64_t entries = 0, size = 0, offset = 0;
  std::uint64_t end = 0;  // where the next record begins
};

// The end record is the last 22 bytes plus a comment that runs exactly to
// the end of the archive.
std::optional<std::uint64_t> FindEndRecord(std::uint64_t archiveBytes, const ArchiveReader& read) {
  if (archiveBytes < kEndSize) return std::nullopt;
  const std::uint64_t span = std::min<std::uint64_t>(archiveBytes, kEndSize + kLongestComment);
  const std::string tail = read(archiveBytes - span, static_cast<std::size_t>(span));
  if (tail.size() != span) return std::nullopt;
  for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;)
    if (Field(tail, at, 4) == kEndSignature && at + kEndSize + Field(tail, at + 20, 2) == span)
      return archiveBytes - span + at;
  return std::nullopt;
}

// Archives past 4 GiB or 65535 entries keep the true figures in a zip64
// record that a locator right before the end record points to.
std::optional<DirectoryBounds> ReadZip64Bounds(std::uint64_t endAt, const ArchiveReader& read) {
  if (endAt < kLocatorSize) return std::nullopt;
  const std::string locator = read(endAt - kLocatorSize, kLocatorSize);
  if (Field(locator, 0, 4) != kZip64LocatorSignature) return std::nullopt;
  const std::uint64_t recordAt = Field(locator, 8, 8);
  if (Field(locator, 4, 4) != 0 || recordAt > endAt - kLocatorSize - kZip64EndSize)
    return std::nullopt;
  const std::string record = read(recordAt, kZip64EndSize);
  if (Field(record, 0, 4) != kZip64EndSignature || Field(record, 16, 4) != 0 ||
      Field(record, 20, 4) != 0)
    return std::nullopt;
  return DirectoryBounds{Field(record, 32, 8), Field(record, 40, 8), Field(record, 48, 8),
                         recordAt};
}

std::optional<DirectoryBounds> ReadBounds(std::uint64_t archiveBytes, const ArchiveReader& read) {
  const auto endAt = FindEndRecord(archiveBytes, read);
  if (!endAt) return std::nullopt;
  const std::string end = read(*endAt, kEndSize);
  // A volume of a split archive cannot be unpacked alone.
  if (Field(end, 4, 2) != 0 || Field(end, 6, 2) != 0) return std::nullopt;
  DirectoryBounds bounds{Field(end, 10, 2), Field(end, 12, 4), Field(end, 16, 4), *endAt};
  if (Saturated(bounds.entries, 2) || Saturated(bounds.size, 4) || Saturated(bounds.offset, 4)) {
    if (const auto wide = ReadZip64Bounds(*endAt, read)) bounds = *wide;
  }
  if (bounds.offset > bounds.end || bounds.size > bounds.end - bounds.offset) return std::nullopt;
  if (bounds.size > kLargestDirectory) return std::nullopt;
  return bounds;
}

struct CentralEntry {
  std::string name;
  std::uint64_t madeBy = 0, flags = 0, method = 0, external = 0;
  std::uint64_t compressed = 0, uncompressed = 0, localAt = 0;
};

// The data of the extra field `id`, or nothing.
std::optional<std::string_view> ExtraField(std::string_view extra, std::uint64_t id) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const std::size_t length = static_cast<std::size_t>(Field(extra, at + 2, 2));
    if (Field(extra, at, 2) == id) return extra.substr(at + 4, length);
    at += 4 + length;
  }
  return std::nullopt;
}

// The zip64 extra field of a directory entry holds, in this order, each of
// the three figures whose header field is saturated.
bool ApplyZip64Extra(std::string_view extra, CentralEntry& entry) {
  std::uint64_t* figures[] = {&entry.uncompressed, &entry.compressed, &entry.localAt};
  const std::string_view data = ExtraField(extra, 1).value_or(std::string_view{});
  std::size_t used = 0;
  for (std::uint64_t* figure : figures) {
    if (!Saturated(*figure, 4)) continue;
    if (used + 8 > data.size()) return false;
    *figure = Field(data, used, 8);
    used += 8;
  }
  return true;
}

std::optional<CentralEntry> ParseCentralEntry(std::string_view directory, std::size_t& at) {
  const std::string_view header = directory.substr(std::min(at, directory.size()));
  if (header.size() < kCentralSize || Field(header, 0, 4) != kCentralSignature) return std::nullopt;
  const std::size_t nameLength = Field(header, 28, 2), extraLength = Field(header, 30, 2);
  const std::size_t total = kCentralSize + nameLength + extraLength + Field(header, 32, 2);
  if (header.size() < total) return std::nullopt;
  CentralEntry entry{std::string(header.substr(kCentralSize, nameLength)),
                     Field(header, 4, 2),
                     Field(header, 8, 2),
                     Field(header, 10, 2),
                     Field(header, 38, 4),
                     Field(header, 20, 4),
                     Field(header, 24, 4),
                     Field(header, 42, 4)};
  at += total;
  if (!ApplyZip64Extra(header.substr(kCentralSize + nameLength, extraLength), entry))
    return std::nullopt;
  return entry;
}

// The kind Unix archivers note in the upper half of the attributes: a link
// or a device is refused; other systems note only folders.
bool IsLinkOrDevice(const CentralEntry& entry) {
  if ((entry.madeBy >> 8) != kUnixHost) return false;
  const std::uint64_t kind = (entry.external >> 16) & 0xF000;
  return kind != 0 && kind != 0x8000 && kind != 0x4000;
}

// Tar unpacks what the local header names, and as much as it says: name
// and size must be the directory's. (A header that leaves the sizes to a
// data descriptor gets the directory's size, and tar writes no more.)
// Returns where the entry's data ends, or nothing.
std::optional<std::uint64_t> LocalDataEnd(const CentralEntry& entry, const ArchiveReader& read) {
  const std::size_t headerSize = kLocalSize + entry.name.size();
  const std::string header = read(entry.localAt, headerSize);
  if (header.size() != headerSize || Field(header, 0, 4) != kLocalSignature ||
      Field(header, 26, 2) != entry.name.size() ||
      std::string_view(header).substr(kLocalSize) != entry.name)
    return std::nullopt;
  const std::uint64_t extraLength = Field(header, 28, 2);
  std::uint64_t size = Field(header, 22, 4);
  if (Saturated(size, 4)) {
    const std::string extra = read(entry.localAt + headerSize, extraLength);
    const auto zip64 = ExtraField(extra, 1);
    if (!zip64 || zip64->size() < 8) return std::nullopt;
    size = Field(*zip64, 0, 8);
  }
  const bool deferred = (Field(header, 6, 2) & 8) != 0 && size == 0;
  if (!deferred && size != entry.uncompressed) return std::nullopt;
  return entry.localAt + headerSize + extraLength + entry.compressed;
}

// Encrypted entries would make tar ask for a password; other methods than
// stored and deflated are not what packages are made with.
bool IsPlainEntry(const CentralEntry& entry) {
  if ((entry.flags & 1) != 0) return false;
  if (entry.method == kStored) return entry.compressed == entry.uncompressed;
  return entry.method == kDeflated;
}

// A valid tar header checksum over the first block: tar would read the
// file as a tar archive, whatever zip records it also holds.
bool ReadsAsTar(const ArchiveReader& read) {
  const std::string block = read(0, 512);
  if (block.size() != 512) return false;
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < block.size(); ++i)
    sum += i >= 148 && i < 156 ? ' ' : static_cast<unsigned char>(block[i]);
  std::uint64_t stored = 0;
  std::size_t i = 148;
  while (i < 156 && block[i] == ' ') ++i;
  const std::size_t digitsFrom = i;
  for (; i < 156 && block[i] >= '0' && block[i] <= '7'; ++i) stored = stored * 8 + (block[i] - '0');
  return i > digitsFrom && stored == sum;
}

using Span = std::pair<std::uint64_t, std::uint64_t>;

// Entries that share data would expand one compressed stream many times.
bool Overlap(std::vector<Span> spans) {
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i)
    if (spans[i].first < spans[i - 1].second) return true;
  return false;
}

ListingVerdict Refused(EntryProblem problem, std::string entry = {}) {
  return {problem, std::move(entry), 0};
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

ListingVerdict CheckZipDirectory(std::uint64_t archiveBytes, const ArchiveReader& read) {
  const auto bounds = ReadBounds(archiveBytes, read);
  const std::uint64_t start = Field(read(0, 4), 0, 4);
  const bool zipStart = start == kLocalSignature || (start == kEndSignature && bounds &&
                                                     bounds->entries == 0 && bounds->end == 0);
  if (!bounds || !zipStart || ReadsAsTar(read)) return Refused(EntryProblem::NotZip);
  const std::string directory = read(bounds->offset, static_cast<std::size_t>(bounds->size));
  if (directory.size() != bounds->size) return Refused(EntryProblem::Unreadable);

  ListingVerdict verdict;
  std::vector<Span> spans;
  std::size_t at = 0;
  for (std::uint64_t n = 0; n < bounds->entries; ++n) {
    const auto entry = ParseCentralEntry(directory, at);
    if (!entry) return Refused(EntryProblem::Unreadable);
    if (!IsContainedEntryName(entry->name))
      return Refused(EntryProblem::OutsideFolder, entry->name);
    if (IsLinkOrDevice(*entry)) return Refused(EntryProblem::LinkOrDevice, entry->name);
    const auto dataEnd = IsPlainEntry(*entry) ? LocalDataEnd(*entry, read) : std::nullopt;
    if (!dataEnd || *dataEnd > bounds->offset || *dataEnd < entry->localAt)
      return Refused(EntryProblem::Unreadable, entry->name);
    spans.emplace_back(entry->localAt, *dataEnd);
    verdict.expandedBytes +=
        std::min(entry->uncompressed, ~std::uint64_t{0} - verdict.expandedBytes);
  }
  if (at != directory.size() || Overlap(spans) ||
      (!spans.empty() && std::min_element(spans.begin(), spans.end())->first != 0))
    return Refused(EntryProblem::Unreadable);
  return verdict;
}

std::uint64_t ExpansionLimit(std::uint64_t packageBytes) {
  const std::uint64_t scaled = packageBytes > kExpansionCeiling / kExpansionFactor
                                   ? kExpansionCeiling
                                   : packageBytes * kExpansionFactor;
  return std::clamp(scaled, kExpansionFloor, kExpansionCeiling);
}

}  // namespace vantor
