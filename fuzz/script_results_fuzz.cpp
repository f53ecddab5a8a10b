// What a script printed, as the program reads it back: the result line,
// the editor's and the migration wizard's answers and the rows the restore
// window chose.
#include <algorithm>

#include "base/text.h"
#include "fuzz_support.h"
#include "maintenance/restore_utility.h"
#include "shell/script_result.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

using Line = ScriptResult<std::string>;

void CheckReason(const ScriptError& error) {
  Expect(!error.reason.empty() && error.reason.back() == '.', "a failure says why");
}

void CheckResultLine(std::string_view output, const Line& line) {
  const std::string_view beforeZero = output.substr(0, output.find('\0'));
  Expect(static_cast<bool>(line) == (beforeZero.find("X|") != std::string_view::npos),
         "a result line exactly when the output has a marked line");
  if (!line) return CheckReason(line.error());
  Expect(*line == Trim(*line), "the result line is trimmed");
  Expect(line->find('\0') == std::string::npos, "the result line stops at a zero byte");
  Expect(line->starts_with("X|"), "a marked line is the result");
  Expect(line->find('\n') == std::string::npos, "the result is one line");
}

void CheckAnswers(const Line& line) {
  const auto code = ReadEditorResult(line);
  if (!code) return CheckReason(code.error());
  Expect(*code == kEditorCancelled || *code == kEditorSaved || *code == kEditorProjectRemoved,
         "the editor answers one of its three codes");
  const auto migrated = ReadMigrationResult(line);
  if (*code == kEditorSaved) Expect(migrated && *migrated, "an OK line is an OK line");
}

void CheckRestoreFile(std::string_view output) {
  static const fuzz::ScratchFile scratch("Vantor_Result.txt");
  constexpr std::size_t kShown = 300;
  const auto rows = ReadChosenRows(scratch.Write(output), kShown);
  Expect(std::is_sorted(rows.begin(), rows.end()), "chosen rows come in list order");
  Expect(std::adjacent_find(rows.begin(), rows.end()) == rows.end(), "each row once");
  Expect(rows.empty() || rows.back() < kShown, "only rows that were shown");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view output = fuzz::AsText(data, size);
  const Line line = ReadResultLine(output);
  CheckResultLine(output, line);
  CheckAnswers(line);
  CheckRestoreFile(output);
  return 0;
}
