// An add-on's option file (config.pro, mapkeys) merged into the master's.
// The input is the master file, a NUL, then the add-on's file.
#include "fuzz_support.h"
#include "install/option_merge.h"
#include "install/option_text.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

bool IsUtf8File(std::string_view bytes) {
  return DecodeOptionText(bytes).encoding != OptionEncoding::SystemCodePage;
}

void CheckDecoding(std::string_view bytes) {
  const OptionText text = DecodeOptionText(bytes);
  const std::string again = EncodeOptionText(text.lines, text.encoding);
  Expect(DecodeOptionText(again).lines == text.lines, "a rewritten file reads the same");
}

void CheckLines(const std::vector<std::string>& master, const std::vector<std::string>& incoming) {
  const MergedOptions merged = MergeOptionFile(master, incoming);
  Expect(merged.appendedFrom <= merged.lines.size(), "appended lines lie within the file");
  Expect(MergeOptionLines(merged.lines, incoming) == merged.lines,
         "merging the same file twice changes nothing more");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [master, incoming] = fuzz::SplitAtNul(fuzz::AsText(data, size));
  CheckDecoding(master);
  CheckLines(DecodeOptionText(master).lines, DecodeOptionText(incoming).lines);

  const std::string options = MergeOptionBytes(master, incoming);
  const std::string mapkeys = MergeMapkeyBytes(master, "addon_mapkeys.pro", incoming);
  // Code page bytes can happen to form valid UTF-8 and read differently the
  // next time; the encoding is only guessed. Files in UTF-8 must merge once.
  if (!IsUtf8File(master) || !IsUtf8File(incoming)) return 0;
  Expect(MergeOptionBytes(options, incoming) == options, "an option file merges once");
  Expect(MergeMapkeyBytes(mapkeys, "addon_mapkeys.pro", incoming) == mapkeys,
         "a mapkey file merges once");
  return 0;
}
