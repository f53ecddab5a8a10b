// What tar printed about an add-on package, read before it is unpacked.
// The input is the names listing, a NUL, then the detailed listing.
#include <sstream>

#include "fuzz_support.h"
#include "install/package_listing.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

// A ".." step or a rooted name, in any of the forms tar may print.
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
  const auto [names, details] = fuzz::SplitAtNul(fuzz::AsText(data, size));
  const ListingVerdict verdict = CheckListing(names, details);
  if (verdict.problem == EntryProblem::None) {
    Expect(verdict.entry.empty(), "an accepted listing names no entry");
    std::istringstream lines{std::string(names)};
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Expect(!LeavesFolder(line), "no accepted entry leaves the folder");
    }
  }
  if (verdict.problem == EntryProblem::OutsideFolder)
    Expect(LeavesFolder(verdict.entry), "a refused entry does leave the folder");
  const std::uint64_t limit = ExpansionLimit(verdict.expandedBytes);
  Expect(limit >= 16u << 20 && limit <= std::uint64_t{2048} << 20, "the limit stays in bounds");
  return 0;
}
