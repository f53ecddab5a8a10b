// What an add-on package's own listing says about it, read before anything
// of it is unpacked: entries that would land outside the package's folder,
// links and device files, and how large it expands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

enum class EntryProblem { None, OutsideFolder, LinkOrDevice, Unreadable };

struct ListingVerdict {
  EntryProblem problem = EntryProblem::None;
  std::string entry;  // the first refused entry, as tar lists it
  std::uint64_t expandedBytes = 0;
};

// A name that stays inside the folder it is unpacked into: not absolute,
// no drive, no "..", no ':' (which would name a drive or a Windows data
// stream).
bool IsContainedEntryName(std::string_view name);

// `names` is what "tar -tf" printed, `details` what "tar -tvf" printed, one
// line per entry each; lines that do not pair up make the listing
// unreadable.
ListingVerdict CheckListing(std::string_view names, std::string_view details);

// The most a package may expand to: 100 times its own size, at least
// 16 MiB (a few highly compressible text files), at most 2 GiB.
std::uint64_t ExpansionLimit(std::uint64_t packageBytes);

}  // namespace vantor
