// What an add-on package's own zip directory says about it, read before
// anything of it is unpacked: whether it is a zip archive at all, entries
// that would land outside the package's folder, links and device files,
// and how large it expands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantor {

enum class EntryProblem { None, NotZip, OutsideFolder, LinkOrDevice, Unreadable };

struct ListingVerdict {
  EntryProblem problem = EntryProblem::None;
  std::string entry;  // the first refused entry, as the archive names it
  std::uint64_t expandedBytes = 0;
};

// A name that stays inside the folder it is unpacked into: not absolute,
// no drive, no "..", no ':' (which would name a drive or a Windows data
// stream).
bool IsContainedEntryName(std::string_view name);

// Up to `length` bytes of the archive from `offset`: fewer where it ends,
// none when it cannot be read.
using ArchiveReader = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// Reads the archive's central directory (zip64 too) and every entry's
// local header. Anything that does not begin as a zip, an encrypted entry,
// a compression method other than stored or deflated, entries whose data
// overlap, and headers that disagree make it NotZip or Unreadable; sizes
// are the uncompressed sizes the directory gives.
ListingVerdict CheckZipDirectory(std::uint64_t archiveBytes, const ArchiveReader& read);

// The most a package may expand to: 100 times its own size, at least
// 16 MiB (a few highly compressible text files), at most 2 GiB.
std::uint64_t ExpansionLimit(std::uint64_t packageBytes);

}  // namespace vantor
