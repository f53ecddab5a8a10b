// Where a replaced settings file lands in the sweep bin, and the history
// line that lets the restore window bring it back. The first byte's lowest
// bit picks the path style; the rest is the file's folder, a NUL, and the
// name the log shows for it.
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_line.h"
#include "fuzz_support.h"
#include "shell/path_relation.h"
#include "shell/script_host.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

void CheckMirror(std::string_view folder, PathStyle style) {
  const auto parts = MirrorFolderParts(folder, style);
  for (const auto& part : parts) {
    Expect(!part.empty() && part != "." && part != "..", "mirror parts are names");
    Expect(part.find('/') == std::string::npos, "no part holds a separator");
    if (style == PathStyle::Windows)
      Expect(part.find('\\') == std::string::npos, "no part holds a Windows separator");
  }
  const bool windows = style == PathStyle::Windows;
  const std::string bin = windows ? "C:\\Vantor\\Vantor_Sweep" : "/srv/vantor/Vantor_Sweep";
  const std::string copy = BinCopyPath(bin, folder, "config.pro", style);
  Expect(copy.empty() == parts.empty(), "a copy path exactly when the folder has a place");
  if (copy.empty()) return;
  const std::string base = windows ? "C:\\Work" : "/work";
  Expect(RelationOf(copy, bin, base, style) == PathRelation::FirstInsideSecond,
         "the copy stays inside the bin");
}

// A name and folder the log takes come back whole from the line.
void CheckHistoryLine(std::string_view folder, std::string_view name) {
  if (!IsLoggableName(folder) || !IsLoggableName(name)) return;
  const std::string line =
      FileLine("2026-12-08 10:00:00", name, folder, SizeText(1536, ","), SweptKind::Clutter);
  const auto parsed = ParseHistoryFileLine(line);
  Expect(parsed.has_value(), "a file line reads back");
  Expect(parsed->name == name && parsed->folder == folder, "name and folder read back as written");
  Expect(parsed->rest == "(1,5 KB) [Clutter]", "the rest reads back whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const PathStyle style = (data[0] & 1) ? PathStyle::Windows : PathStyle::Posix;
  const auto [folder, name] = fuzz::SplitAtNul(fuzz::AsText(data + 1, size - 1));
  CheckMirror(folder, style);
  CheckHistoryLine(folder, name);
  return 0;
}
