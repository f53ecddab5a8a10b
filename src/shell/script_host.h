// Running the embedded PowerShell templates: filling placeholders, writing
// the payload, capturing the one "X|" result line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "shell/script_result.h"

namespace vantor {

// Replaces every `placeholder` left to right, resuming after each inserted
// value; the value goes in verbatim (callers escape or encode it first).
std::string FillPlaceholder(std::string_view text, std::string_view placeholder,
                            std::string_view value);
// Splits at every `delimiter` and trims each piece; a delimiter at the very
// end adds no empty last piece.
std::vector<std::string> SplitFields(std::string_view text, char delimiter);

// A value made safe for the inside of a single-quoted PowerShell string:
// every ' and typographic single quote doubled.
std::string EscapeSingleQuoted(std::string_view value);
// The same for a double-quoted string: ` $ " and typographic double quotes
// get a backtick.
std::string EscapeDoubleQuoted(std::string_view value);
// Base64 of the UTF-8 bytes. Templates decode it, so no value can ever be
// read as code and non-ASCII names survive any code page.
std::string EncodeScriptText(std::string_view value);

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // The script's "X|" result line, or why there is none.
  virtual ScriptResult<std::string> RunScript(const std::string& script, ScriptWindow window) = 0;
  // The exit code, or why there is none.
  virtual ScriptResult<int> RunScriptFromStdin(const std::string& script) = 0;
};

// The real host: PowerShell through the platform.
class PowerShellHost final : public ScriptHost {
 public:
  explicit PowerShellHost(System& system) : system_(system) {}
  ScriptResult<std::string> RunScript(const std::string& script, ScriptWindow window) override;
  ScriptResult<int> RunScriptFromStdin(const std::string& script) override;

  // Temp folder + "Vantor_Payload_" + process id + ".ps1".
  std::string PayloadPath() const;

 private:
  System& system_;
};

// Removes the payload files that runs of processes no longer running left
// in the temporary folder (a killed run cannot delete its own); the file of
// a process that still runs stays.
void RemoveOrphanedPayloads(System& system);

// The payload bytes: UTF-8 byte-order mark (Windows PowerShell 5.1 would
// otherwise read the file in the legacy code page), "\n" as CR LF.
std::string PayloadBytes(std::string_view script);

// Starts the program again with administrator rights and ends this process;
// returns only when that did not happen.
void RelaunchElevated(Console& console, System& system, const std::string& parameters);

}  // namespace vantor
