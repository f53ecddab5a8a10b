#include "launcher/history_log.h"

#include <cstdio>
#include <ctime>

#include "maintenance/size_text.h"
#include "shell/config_file.h"
#include "shell/paths.h"
#include "shell/text.h"

namespace vantor {
std::string BinFolderOf(const std::string& anchorFolder, PathStyle style) {
  return JoinPath(anchorFolder, kBinFolderName, style);
}

std::string HistoryLogOf(const std::string& anchorFolder, PathStyle style) {
  return JoinPath(BinFolderOf(anchorFolder, style), kHistoryLogName, style);
}

std::string HistoryTimeNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[32] = "";
  if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  return text;
}

std::string HistoryEntryLine(const std::string& time, const std::string& displayName,
                             const std::string& folder, std::uint64_t bytes) {
  return time + " | " + PadRight(displayName, kHistoryNameWidth) + " | " +
         PadRight(folder, kHistoryFolderWidth) + " | (" + FormatSize(bytes) + ") [Clutter]";
}

std::string LaunchEventLine(const std::string& time, const std::string& versionLabel,
                            const std::string& targetFolder) {
  return time + " | " + PadRight("LAUNCH - CP " + versionLabel, kHistoryNameWidth) + " | " +
         targetFolder;
}

std::error_code PrependHistoryLine(const std::string& logFile, const std::string& line,
                                   int lockTimeoutMs) {
  // Held around the whole read-modify-write, so a sweep writing at the same
  // time cannot lose our line, nor we its block.
  const auto lock = FileLock::Acquire(logFile + ".lock", lockTimeoutMs);
  if (!lock) return lock.error();
  std::string content = line + "\r\n";
  if (PathExists(logFile)) {
    const auto lines = ReadTextLines(logFile);
    if (!lines) return lines.error();  // never rewrite a log we could not read
    for (const auto& old : *lines) content += old + "\r\n";
  }
  return ReplaceFileAtomically(logFile, content);
}

}  // namespace vantor
