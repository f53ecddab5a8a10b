// Where a script run becomes a typed result. Every template reports in its
// own way (a result line of fields, a one-word answer, an exit code); this
// is the one place that reads them, and the one place that says why a run
// gave nothing usable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/platform.h"

namespace vantor {

enum class ScriptFailure {
  TemplateMissing,    // the template is not inside the program
  PayloadNotWritten,  // the script file could not be written
  NotStarted,         // PowerShell (or what runs beside it) did not start
  NoResultLine,       // the script ended without its "X|" line
  Unreadable,         // a result line or exit code that does not read
};

struct ScriptError {
  ScriptFailure failure;
  std::string reason;  // the user's words, ending in "."
};

ScriptError TemplateMissing(std::string_view templateName);
ScriptError PayloadNotWritten(const std::error_code& error);
// `what` did not start, with the system's reason when there is one.
ScriptError NotStarted(const std::error_code& error = {}, std::string_view what = "PowerShell");
// PowerShell did not start for a window (the settings editor, the wizard,
// the restore picker): the one line every window says when there is none.
ScriptError WindowNeedsPowerShell(const std::error_code& error = {});
// `output` is what the script printed; its first line says what went wrong.
ScriptError NoResultLine(std::string_view output);
ScriptError Unreadable(std::string_view result);

// A script's answer, or why there is none.
template <typename T>
class ScriptResult {
 public:
  ScriptResult(T value) : value_(std::move(value)) {}
  ScriptResult(ScriptError error) : error_(std::move(error)) {}

  explicit operator bool() const { return value_.has_value(); }
  const T& operator*() const { return *value_; }
  const T* operator->() const { return &*value_; }
  const ScriptError& error() const { return error_; }

 private:
  std::optional<T> value_;
  ScriptError error_{ScriptFailure::Unreadable, ""};
};

// The embedded template `name`.
ScriptResult<std::string_view> LoadScriptTemplate(std::string_view name);

// The first "X|" line of a script's output, trimmed. Output is taken up to
// its first zero byte, as a pipe block would be.
ScriptResult<std::string> ReadResultLine(std::string_view output);

// Prints `lead`, then in colour 12 "[ERROR] <step> failed: <reason>" and a
// line end; leaves colour 7 set.
void PrintScriptError(Console& console, std::string_view lead, std::string_view step,
                      const ScriptError& error);

// The settings window: X|OK, X|Abort (Special Project removed), X|Cancel.
inline constexpr int kEditorCancelled = 0;
inline constexpr int kEditorSaved = 1;
inline constexpr int kEditorProjectRemoved = 2;
// The window did not show or gave no answer; its reason is already printed.
inline constexpr int kEditorFailed = -1;
ScriptResult<int> ReadEditorResult(const ScriptResult<std::string>& run);

// The migration wizard: X|OK (migrated) or X|Cancel.
ScriptResult<bool> ReadMigrationResult(const ScriptResult<std::string>& run);


}  // namespace vantor
