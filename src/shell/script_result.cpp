#include "shell/script_result.h"

#include <vector>

#include "base/text.h"
#include "shell/console_text.h"
#include "shell/script_host.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr std::string_view kResultMarker = "X|";
constexpr std::size_t kQuotedOutputWidth = 100;

// Where an error record points: "At C:\...\x.ps1:3 char:1", "+ ..." lines.
bool IsErrorDetail(std::string_view line) {
  return line.front() == '+' || (StartsWith(line, "At ") && line.find(" char:") != line.npos);
}

// The line of a script's output that says what went wrong, shortened.
// Windows PowerShell follows the message with where it happened and
// "+ CategoryInfo" lines; PowerShell 7 puts it on a last "| ..." line.
std::string ErrorLineOf(std::string_view output) {
  std::size_t end = output.size();
  while (end > 0) {
    const std::size_t start = output.rfind('\n', end - 1);
    const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
    std::string line = Trim(output.substr(from, end - from));
    end = from == 0 ? 0 : from - 1;
    if (line.empty() || IsErrorDetail(line)) continue;
    if (line.front() == '|') line = Trim(std::string_view(line).substr(1));
    return FirstCharacters(line, kQuotedOutputWidth);
  }
  return {};
}

// The fields of a result line with at least `minimum` of them, headed "X".
std::optional<std::vector<std::string>> ResultFields(std::string_view line, std::size_t minimum) {
  std::vector<std::string> fields = SplitFields(line, '|');
  if (fields.size() < minimum || fields[0] != "X") return std::nullopt;
  return fields;
}

// The one word of an X|word answer.
std::optional<std::string> AnswerWord(std::string_view line) {
  const auto fields = ResultFields(line, 2);
  if (!fields || fields->size() != 2) return std::nullopt;
  return (*fields)[1];
}

}  // namespace

ScriptError TemplateMissing(std::string_view templateName) {
  return {ScriptFailure::TemplateMissing,
          "script " + std::string(templateName) + " is missing from this program."};
}

ScriptError PayloadNotWritten(const std::error_code& error) {
  return {ScriptFailure::PayloadNotWritten, "script file not written (" + ReasonText(error) + ")."};
}

ScriptError NotStarted(const std::error_code& error, std::string_view what) {
  const std::string why = error ? " (" + ReasonText(error) + ")" : "";
  return {ScriptFailure::NotStarted, std::string(what) + " did not start" + why + "."};
}

ScriptError WindowNeedsPowerShell(const std::error_code& error) {
  const std::string why = error ? " (" + ReasonText(error) + ")" : "";
  return {ScriptFailure::NotStarted,
          "this window needs PowerShell, which did not start" + why + "."};
}

ScriptError NoResultLine(std::string_view output) {
  const std::string said = ErrorLineOf(output);
  return {ScriptFailure::NoResultLine,
          "no result line (" + (said.empty() ? std::string("no output") : said) + ")."};
}

ScriptError Unreadable(std::string_view result) {
  return {ScriptFailure::Unreadable,
          "unreadable result (" + FirstCharacters(result, kQuotedOutputWidth) + ")."};
}

ScriptResult<std::string_view> LoadScriptTemplate(std::string_view name) {
  const auto text = EmbeddedScript(name);
  if (!text) return TemplateMissing(name);
  return *text;
}

ScriptResult<std::string> ReadResultLine(std::string_view output) {
  output = output.substr(0, output.find('\0'));
  const std::size_t at = output.find(kResultMarker);
  if (at == std::string_view::npos) return NoResultLine(output);
  const std::size_t end = output.find('\n', at);
  return Trim(output.substr(at, end == std::string_view::npos ? end : end - at));
}

void PrintScriptError(Console& console, std::string_view lead, std::string_view step,
                      const ScriptError& error) {
  console.Write(lead);
  Print(console, color::kRed, "[ERROR] " + std::string(step) + " failed: " + error.reason + "\n");
  console.SetColor(color::kGrey);
}

ScriptResult<int> ReadEditorResult(const ScriptResult<std::string>& run) {
  if (!run) return run.error();
  const auto word = AnswerWord(*run);
  if (word == "OK") return kEditorSaved;
  if (word == "Abort") return kEditorProjectRemoved;
  if (word == "Cancel") return kEditorCancelled;
  return Unreadable(*run);
}

ScriptResult<bool> ReadMigrationResult(const ScriptResult<std::string>& run) {
  if (!run) return run.error();
  const auto word = AnswerWord(*run);
  if (word == "OK") return true;
  if (word == "Cancel") return false;
  return Unreadable(*run);
}

}  // namespace vantor
