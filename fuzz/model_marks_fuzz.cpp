// Model heads as the probe reads them: the text of any file that is named
// like a model, up to its first NUL byte.
#include "fuzz_support.h"
#include "launcher/model_marks.h"

using namespace vantor;
using vantor::fuzz::Expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view head = fuzz::SplitAtNul(fuzz::AsText(data, size)).first;
  const ModelMark mark = VersionMarkOf(head);
  if (mark.kind == MarkKind::Creo)
    Expect(mark.version > 0 && mark.version <= 999999, "a Creo release is a small number");
  else
    Expect(mark.version == 0, "only a Creo mark carries a release");
  if (head.find('#') == std::string_view::npos)
    Expect(mark.kind == MarkKind::None, "a mark is a line that begins with #");
  return 0;
}
