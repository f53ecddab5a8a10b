// Folder names as the header box shows them on one line. The first byte's
// lowest bit picks the path style, the rest is the path.
#include "base/paths.h"
#include "base/text.h"
#include "fuzz_support.h"
#include "install/option_text.h"
#include "shell/console_text.h"

using namespace vantor;
using vantor::fuzz::Expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const PathStyle style = (data[0] & 1) ? PathStyle::Windows : PathStyle::Posix;
  const std::string_view path = fuzz::AsText(data + 1, size - 1);
  const std::string shown = ShortenPath(path, style);
  if (TextWidth(path) <= 43) {
    Expect(shown == path, "a short path is shown whole");
    return 0;
  }
  // One more than the limit when a separator had to be put before the tail.
  Expect(TextWidth(shown) <= 44, "a long path is cut to the limit");
  if (IsValidUtf8(path)) Expect(IsValidUtf8(shown), "a path is cut between characters");
  // A drive path keeps its drive; when that alone is too long the path's
  // start is shown instead.
  const std::size_t drive = style == PathStyle::Windows ? path.find(":\\") : path.npos;
  const std::string_view prefix = drive == path.npos ? "" : path.substr(0, drive + 2);
  if (TextWidth(prefix) >= 40) {
    Expect(path.starts_with(shown) && TextWidth(shown) == 43, "the first 43 characters");
    return 0;
  }
  Expect(shown.starts_with(std::string(prefix) + "..."), "the prefix, then dots");
  const std::string_view tail = std::string_view(shown).substr(prefix.size() + 3);
  Expect(!tail.empty() && tail[0] == Separator(style), "the tail starts at a separator");
  Expect(path.ends_with(tail) || path.ends_with(tail.substr(1)), "the tail is the path's end");
  return 0;
}
