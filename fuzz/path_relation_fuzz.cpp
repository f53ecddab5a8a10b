// Folder paths typed by a user or read from a setting, made absolute and
// compared. The first byte's lowest bit picks the path style; the rest is
// a path, a NUL, a second path, a NUL and the current folder below a root.
#include "base/paths.h"
#include "fuzz_support.h"
#include "shell/path_relation.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

PathRelation Mirrored(PathRelation relation) {
  switch (relation) {
    case PathRelation::FirstInsideSecond:
      return PathRelation::SecondInsideFirst;
    case PathRelation::SecondInsideFirst:
      return PathRelation::FirstInsideSecond;
    default:
      return relation;
  }
}

// A Windows name ending in dots or spaces other than "." and "..": the
// comparison drops them as Windows does, the full path leaves that to Windows.
bool HasTrimmedName(std::string_view path, PathStyle style) {
  if (style != PathStyle::Windows) return false;
  std::string name;
  for (const char c : std::string(path) + "\\") {
    if (!IsSeparator(c)) {
      name += c;
      continue;
    }
    if (name != "." && name != ".." && (name.ends_with('.') || name.ends_with(' '))) return true;
    name.clear();
  }
  return false;
}

void CheckAbsolute(std::string_view path, const std::string& base, PathStyle style) {
  const std::string full = AbsolutePath(path, base, style);
  Expect(AbsolutePath(full, base, style) == full, "a full path stays as it is");
  if (NormalisedComponents(path, base, style).empty()) return;
  if (HasTrimmedName(path, style) || HasTrimmedName(base, style)) return;
  Expect(RelationOf(full, path, base, style) == PathRelation::Same,
         "the full path names the folder the path names");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const PathStyle style = (data[0] & 1) ? PathStyle::Windows : PathStyle::Posix;
  const auto [first, rest] = fuzz::SplitAtNul(fuzz::AsText(data + 1, size - 1));
  const auto [second, current] = fuzz::SplitAtNul(rest);
  const std::string base = (style == PathStyle::Windows ? "C:\\" : "/") + std::string(current);

  const PathRelation relation = RelationOf(first, second, base, style);
  Expect(RelationOf(second, first, base, style) == Mirrored(relation), "relations mirror");
  const bool named = !NormalisedComponents(first, base, style).empty();
  Expect((RelationOf(first, first, base, style) == PathRelation::Same) == named,
         "a named folder is the same as itself");
  CheckAbsolute(first, base, style);
  CheckAbsolute(second, base, style);
  return 0;
}
