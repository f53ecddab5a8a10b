#include "shell/script_result.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// A reading as one text: the fields joined by "/", or the failure's reason.
template <typename T, typename Show>
std::string Shown(const ScriptResult<T>& result, Show show) {
  return result ? show(*result) : result.error().reason;
}

std::string Line(std::string_view output) {
  return Shown(ReadResultLine(output), [](const std::string& line) { return line; });
}

std::string Editor(std::string_view output) {
  return Shown(ReadEditorResult(ReadResultLine(output)),
               [](int code) { return "code " + std::to_string(code); });
}

std::string Migration(std::string_view output) {
  return Shown(ReadMigrationResult(ReadResultLine(output)),
               [](bool migrated) { return migrated ? "migrated" : "skipped"; });
}

TEST(ScriptResult, EveryResultConventionReadsInOnePlace) {
  struct Case {
    std::string (*read)(std::string_view);
    std::string output;
    std::string expected;
  };
  const std::string longError(150, 'e');
  const Case cases[] = {
      // The first "X|" line, trimmed, is the result; without one the first
      // thing the script printed is the reason.
      {Line, "garbage\nX|1|2\nmore\n", "X|1|2"},
      {Line, "X|OK\r\n", "X|OK"},
      {Line, "X|first\nX|second\n", "X|first"},
      {Line, std::string("X|a\0X|b", 7), "X|a"},
      {Line, "", "no result line (no output)."},
      {Line, "X", "no result line (X)."},
      {Line, "\r\n  \nOops\nAt line:3 char:1\r\n+ more\n\n", "no result line (Oops)."},
      {Line, "boom\r\nAt C:\\p.ps1:1 char:1\r\n+ throw 'boom'\r\n    + CategoryInfo : x\r\n",
       "no result line (boom)."},
      {Line, "ParserError: /t/p.ps1:1\nLine |\n   1 |  (1 +\n     |     ~\n     | Missing value.\n",
       "no result line (Missing value.)."},
      {Line, longError, "no result line (" + longError.substr(0, 100) + ")."},
      {Editor, "X|OK", "code 1"},
      {Editor, "X|Abort\r\n", "code 2"},
      {Editor, "X|Cancel", "code 0"},
      {Editor, "noise X|OK", "code 1"},
      {Editor, "X|OKAY", "unreadable result (X|OKAY)."},
      {Editor, "X|OK|more", "unreadable result (X|OK|more)."},
      {Editor, "Add-Type: Cannot find path", "no result line (Add-Type: Cannot find path)."},
      {Migration, "X|OK", "migrated"},
      {Migration, "X|Cancel", "skipped"},
      {Migration, "X|O", "unreadable result (X|O)."},
      {Migration, "OK", "no result line (OK)."},
  };
  for (const Case& c : cases) EXPECT_EQ(c.read(c.output), c.expected) << c.output;
}

TEST(ScriptResult, FailuresKeepTheirKindAndTheSystemsReason) {
  EXPECT_EQ(ReadEditorResult(ReadResultLine("")).error().failure, ScriptFailure::NoResultLine);
  EXPECT_EQ(ReadEditorResult(std::string("X|?")).error().failure, ScriptFailure::Unreadable);
  const auto missing = LoadScriptTemplate("no_such_script.ps1");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().failure, ScriptFailure::TemplateMissing);
  EXPECT_EQ(missing.error().reason, "script no_such_script.ps1 is missing from this program.");
  const ScriptError denied = PayloadNotWritten(std::make_error_code(std::errc::permission_denied));
  EXPECT_EQ(denied.reason, "script file not written (Permission denied).");
  EXPECT_TRUE(LoadScriptTemplate("restore_window.ps1"));
}

}  // namespace
}  // namespace vantor
