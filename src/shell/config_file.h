// Readers and writers of Vantor.ini (anchor folder) and VantorSP.ini
// (Special Project folder). A file that cannot be opened reads as having no
// setting lines; no reader reports an error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

inline constexpr const char* kMasterFileName = "Vantor.ini";
inline constexpr const char* kProjectFileName = "VantorSP.ini";

// The whole file as it is stored; the reason when it cannot be read.
SystemResult<std::string> ReadFileBytes(const std::string& path);
// The lines of a text file, line ends removed; the reason when it cannot be
// read.
SystemResult<std::vector<std::string>> ReadTextLines(const std::string& path);

// The value of `line` when, trimmed, it is a setting line for `key`.
std::optional<std::string> SettingValue(const std::string& line, const std::string& key);

// First setting line's value, even when empty.
std::string ReadSetting(const std::string& file, const std::string& key);
// Last setting line's value, even when empty (the setup-master scan).
std::string ReadLastSetting(const std::string& file, const std::string& key);
// Last non-empty value (the restore utility's retention days).
std::string ReadLastNonEmptySetting(const std::string& file, const std::string& key);
// First raw line that begins with "CP_Countdown=" at its first character.
std::string ReadCountdownSetting(const std::string& file);

// The Special Project's value when its file exists and the value there is
// not empty, else the master file's.
std::string ReadWithPrecedence(const std::string& projectFile, const std::string& masterFile,
                               const std::string& key);
// Yes/no words compared exactly; anything else gives `fallback`.
std::optional<bool> ParseYesNo(const std::string& value);
bool ReadYesNo(const std::string& projectFile, const std::string& masterFile,
               const std::string& key, bool fallback);
// The sweep switch: off only for the listed "no" words.
bool IsSweepSwitchOff(const std::string& value);

// Replaces every raw line that begins with key + "=" by key + "=" + value
// and rewrites the file whole with CR LF line ends. A file that cannot be
// read is left alone (its reason returned): rewriting it would empty it.
std::error_code RewriteSetting(const std::string& file, const std::string& key,
                               const std::string& value);

enum class MasterFileState { Present, Restored, RestoreFailed };
// Writes the embedded master template when Vantor.ini is missing.
MasterFileState RestoreMasterFile(const std::string& anchorFolder, PathStyle style);

}  // namespace vantor
