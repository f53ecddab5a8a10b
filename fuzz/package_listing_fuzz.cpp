// An add-on package's zip directory, read before tar sees the file. The
// input is the archive's bytes.
#include "fuzz_support.h"
#include "install/package_listing.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

// A ".." step or a rooted name, in any of the forms a zip may hold.
bool LeavesFolder(std::string_view name) {
  if (name.starts_with('/') || name.starts_with('\\') || name.find(':') != name.npos) return true;
  std::string step;
  for (const char c : std::string(name) + "/") {
    if (c != '/' && c != '\\') {
      step += c;
      continue;
    }
    if (step == "..") return true;
    step.clear();
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view archive = fuzz::AsText(data, size);
  const ArchiveReader read = [archive](std::uint64_t offset, std::size_t length) {
    Expect(length <= (std::size_t{64} << 20) + 0x10000, "no read larger than a directory may be");
    return offset >= archive.size() ? std::string() : std::string(archive.substr(offset, length));
  };
  const ListingVerdict verdict = CheckZipDirectory(archive.size(), read);
  if (verdict.problem == EntryProblem::None) {
    Expect(verdict.entry.empty(), "an accepted archive names no entry");
    Expect(archive.starts_with("PK\x03\x04") || archive.starts_with("PK\x05\x06"),
           "an accepted archive begins as a zip");
  }
  if (verdict.problem == EntryProblem::OutsideFolder)
    Expect(LeavesFolder(verdict.entry), "a refused entry does leave the folder");
  if (verdict.problem == EntryProblem::NotZip) Expect(verdict.entry.empty(), "no entry named");
  const std::uint64_t limit = ExpansionLimit(verdict.expandedBytes);
  Expect(limit >= 16u << 20 && limit <= std::uint64_t{2048} << 20, "the limit stays in bounds");
  return 0;
}
