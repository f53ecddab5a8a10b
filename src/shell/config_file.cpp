#include "shell/config_file.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "base/paths.h"
#include "base/text.h"
#include "install/workspace.h"

namespace vantor {

// The C library's reason for the last failed open or read.
std::error_code LastStreamError() { return {errno ? errno : EIO, std::generic_category()}; }

SystemResult<std::string> ReadFileBytes(const std::string& path) {
  errno = 0;
  std::ifstream in(ToFsPath(path), std::ios::binary);
  if (!in) return LastStreamError();
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return LastStreamError();
  return content.str();
}

SystemResult<std::vector<std::string>> ReadTextLines(const std::string& path) {
  errno = 0;
  std::ifstream in(ToFsPath(path), std::ios::binary);
  if (!in) return LastStreamError();
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) return LastStreamError();
  return lines;
}

std::optional<std::string> SettingValue(const std::string& line, const std::string& key) {
  const std::string trimmed = Trim(line);
  if (!StartsWith(trimmed, key + "=")) return std::nullopt;
  return Trim(std::string_view(trimmed).substr(key.size() + 1));
}

std::string ReadSetting(const std::string& file, const std::string& key) {
  for (const auto& line : ReadTextLines(file).value_or(std::vector<std::string>{}))
    if (auto value = SettingValue(line, key)) return *value;
  return {};
}

std::string ReadLastSetting(const std::string& file, const std::string& key) {
  std::string found;
  for (const auto& line : ReadTextLines(file).value_or(std::vector<std::string>{}))
    if (auto value = SettingValue(line, key)) found = *value;
  return found;
}

std::string ReadLastNonEmptySetting(const std::string& file, const std::string& key) {
  std::string found;
  for (const auto& line : ReadTextLines(file).value_or(std::vector<std::string>{}))
    if (auto value = SettingValue(line, key); value && !value->empty()) found = *value;
  return found;
}

std::string ReadCountdownSetting(const std::string& file) {
  static const std::string kPrefix = "CP_Countdown=";
  for (const auto& line : ReadTextLines(file).value_or(std::vector<std::string>{}))
    if (StartsWith(line, kPrefix)) return Trim(std::string_view(line).substr(kPrefix.size()));
  return {};
}

std::string ReadWithPrecedence(const std::string& projectFile, const std::string& masterFile,
                               const std::string& key) {
  std::string value;
  if (PathExists(projectFile)) value = ReadSetting(projectFile, key);
  if (value.empty() && PathExists(masterFile)) value = ReadSetting(masterFile, key);
  return value;
}

std::optional<bool> ParseYesNo(const std::string& value) {
  for (const char* word : {"1", "Yes", "yes", "YES", "Y", "true", "TRUE"})
    if (value == word) return true;
  for (const char* word : {"0", "No", "no", "NO", "N", "false", "FALSE"})
    if (value == word) return false;
  return std::nullopt;
}

bool ReadYesNo(const std::string& projectFile, const std::string& masterFile,
               const std::string& key, bool fallback) {
  return ParseYesNo(ReadWithPrecedence(projectFile, masterFile, key)).value_or(fallback);
}

bool IsSweepSwitchOff(const std::string& value) {
  for (const char* word : {"0", "No", "no", "NO", "N", "n", "false", "FALSE"})
    if (value == word) return true;
  return false;
}

std::error_code RewriteSetting(const std::string& file, const std::string& key,
                               const std::string& value) {
  const auto lines = ReadTextLines(file);
  if (!lines) return lines.error();
  std::string content;
  for (const auto& line : *lines) {
    content += StartsWith(line, key + "=") ? key + "=" + value : line;
    content += "\r\n";
  }
  return ReplaceFileAtomically(file, content);
}

MasterFileState RestoreMasterFile(const std::string& anchorFolder, PathStyle style) {
  const std::string master = JoinPath(anchorFolder, kMasterFileName, style);
  if (PathExists(master)) return MasterFileState::Present;
  return WriteEmbeddedResource(resource::kMasterTemplate, master) ? MasterFileState::Restored
                                                                  : MasterFileState::RestoreFailed;
}

}  // namespace vantor
