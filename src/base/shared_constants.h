// Names, widths and counts that several parts of the program and the files
// it keeps must agree on.
#pragma once

#include <cstddef>
#include <string_view>

namespace vantor {

// The sweep bin beside the program and its history log.
inline constexpr std::string_view kBinFolderName = "Vantor_Sweep";
inline constexpr std::string_view kHistoryLogName = "Vantor_Sweep.log";

// History log line: time | name (padded) | folder (padded) | size.
inline constexpr std::size_t kHistoryNameWidth = 35;
inline constexpr std::size_t kHistoryFolderWidth = 87;

// How long a writer of the history log waits for its lock.
inline constexpr int kHistoryLockTimeoutMs = 10000;

}  // namespace vantor
