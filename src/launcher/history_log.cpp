#include "launcher/history_log.h"

#include <cstdio>
#include <ctime>

#include "shell/config_file.h"
#include "shell/paths.h"
#include "shell/text.h"

namespace vantor {
namespace {

std::string Fixed(double value, int decimals, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  return text;
}

}  // namespace

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

std::string HistorySizeText(std::uint64_t bytes) {
  const double size = static_cast<double>(bytes);
  if (bytes < 1024ull) return Fixed(size, 1, "B");
  if (bytes < 1048576ull) return Fixed(size / 1024.0, 1, "KB");
  if (bytes < 1073741824ull) return Fixed(size / 1048576.0, 2, "MB");
  return Fixed(size / 1073741824.0, 3, "GB");
}

std::string HistoryEntryLine(const std::string& time, const std::string& displayName,
                             const std::string& folder, std::uint64_t bytes) {
  return time + " | " + PadRight(displayName, 35) + " | " + PadRight(folder, 87) + " | (" +
         HistorySizeText(bytes) + ") [Clutter]";
}

std::string LaunchEventLine(const std::string& time, const std::string& versionLabel,
                            const std::string& targetFolder) {
  return time + " | " + PadRight("LAUNCH - CP " + versionLabel, 35) + " | " + targetFolder;
}

bool PrependHistoryLine(const std::string& logFile, const std::string& line, int lockTimeoutMs) {
  // Held around the whole read-modify-write, so a sweep writing at the same
  // time cannot lose our line, nor we its block.
  const auto lock = FileLock::Acquire(logFile + ".lock", lockTimeoutMs);
  if (!lock) return false;
  std::string content = line + "\r\n";
  if (PathExists(logFile)) {
    const auto lines = ReadTextLines(logFile);
    if (!lines) return false;  // never rewrite a log we could not read
    for (const auto& old : *lines) content += old + "\r\n";
  }
  return ReplaceFileAtomically(logFile, content);
}

}  // namespace vantor
