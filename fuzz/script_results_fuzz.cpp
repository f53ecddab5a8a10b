// What a script printed, as the program reads it back: the result line,
// the sweep engine's counts, the probe's versions, the editor's and the
// migration wizard's answers and the restore window's result file.
#include <algorithm>
#include <climits>

#include "fuzz_support.h"
#include "install/config_editor.h"
#include "install/migration_wizard.h"
#include "launcher/legacy_decision.h"
#include "launcher/model_probe.h"
#include "maintenance/restore_utility.h"
#include "maintenance/sweep_report.h"
#include "shell/script_host.h"
#include "shell/text.h"

using namespace vantor;
using vantor::fuzz::Expect;

namespace {

// Keeps only what a report would show.
class CountingConsole final : public Console {
 public:
  void SetColor(int) override {}
  void Write(std::string_view text) override { written += text.size(); }
  void Clear() override {}
  void SetTitle(std::string_view) override {}
  void UseBoxCodePage() override {}
  bool HideCursor() override { return true; }
  void SetCursorVisible(bool) override {}
  std::size_t written = 0;
};

void CheckResultLine(std::string_view output, const std::string& line) {
  Expect(line == Trim(line), "the result line is trimmed");
  Expect(line.find('\0') == std::string::npos, "the result line stops at a zero byte");
  const std::string_view beforeZero = output.substr(0, output.find('\0'));
  if (beforeZero.size() > 1 && beforeZero.find("X|") != std::string_view::npos) {
    Expect(line.starts_with("X|"), "a marked line is the result");
    Expect(line.find('\n') == std::string::npos, "the result is one line");
  }
}

void CheckSweep(std::string_view text) {
  const auto result = ParseSweepResult(text);
  if (!result) return;
  for (const std::int64_t count : {result->clutterCount, result->modelCount, result->notMoved})
    Expect(count >= 0 && count <= INT_MAX, "counts are whole numbers the engine can print");
  CountingConsole console;
  PrintCleanupReport(console, *result, {"Work", '\\', "21"});
  Expect(console.written > 0, "a report always says something");
}

void CheckProbe(const std::string& line) {
  const ProbeResult probe = ParseProbeResult(line);
  Expect(!InstalledVersionsText(probe).empty(), "the installed list is never empty");
  const LegacyOptions options = LegacyOptionsFor(probe.dataVersion, probe.latestVersion,
                                                 probe.latestVersion, probe.otherVersionsText);
  Expect(std::is_sorted(options.alternates.begin(), options.alternates.end()),
         "alternates are ascending");
  for (const int version : options.alternates) {
    Expect(version > probe.dataVersion, "alternates are newer than the data");
    Expect(version != probe.latestVersion, "the chosen version is no alternate");
  }
}

void CheckAnswers(std::string_view output) {
  const int code = EditorResultCode(output);
  Expect(code == kEditorCancelled || code == kEditorSaved || code == kEditorProjectRemoved,
         "the editor answers one of its three codes");
  if (code == kEditorSaved) Expect(MigrationSucceeded(output), "an OK line is an OK line");
}

void CheckRestoreFile(std::string_view output) {
  static const fuzz::ScratchFile scratch("Vantor_Result.txt");
  const int code = ReadRestoreResult(scratch.Write(output), -7);
  Expect(code == -7 || code >= 0, "a result file gives a count or the exit code");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view output = fuzz::AsText(data, size);
  const std::string line = ExtractResultLine(output);
  CheckResultLine(output, line);
  CheckSweep(line);
  CheckSweep(output);
  CheckProbe(line);
  CheckAnswers(output);
  CheckRestoreFile(output);
  return 0;
}
