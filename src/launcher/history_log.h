// The launcher's lines in the sweep history log: replaced settings files
// and launch events, each put at the top of the log.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "shell/shared_constants.h"

namespace vantor {

std::string BinFolderOf(const std::string& anchorFolder, PathStyle style);
std::string HistoryLogOf(const std::string& anchorFolder, PathStyle style);

// The local time now as "YYYY-MM-DD hh:mm:ss".
std::string HistoryTimeNow();

// time | name (35) | folder (87) | (size) [Clutter]
std::string HistoryEntryLine(const std::string& time, const std::string& displayName,
                             const std::string& folder, std::uint64_t bytes);
// time | LAUNCH - CP label (35) | target folder
std::string LaunchEventLine(const std::string& time, const std::string& versionLabel,
                            const std::string& targetFolder);

// Puts `line` above the log's lines, under the log's lock, replacing the
// file whole. The reason when the line could not be written; the log is
// then as it was. The lock is waited for as long as the sweep engine waits.
std::error_code PrependHistoryLine(const std::string& logFile, const std::string& line,
                                   int lockTimeoutMs = kHistoryLockTimeoutMs);

}  // namespace vantor
