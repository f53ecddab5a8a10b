// The lines of the sweep history log: how each kind is written, how a file
// line is read back, and which names a line can carry faithfully.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A moment as the log and the bin's file times need it.
struct BinTime {
  std::int64_t utcNs = 0;         // nanoseconds since 1970-01-01 UTC
  std::int64_t localSeconds = 0;  // the local wall clock, counted as if it were UTC
};
BinTime BinTimeOf(std::int64_t utcNs);
BinTime BinTimeNow();

// "yyyy-MM-dd HH:mm:ss" of the local wall clock.
std::string HistoryTimestamp(const BinTime& time);
std::string HistoryTimeNow();

// 512.0 B, 1.5 KB, 2.25 MB, 1.000 GB with `separator` as decimal point:
// thresholds 1024, 1048576 and 1073741824, with 1, 1, 2 and 3 decimals.
std::string SizeText(std::uint64_t bytes, std::string_view separator);

enum class SweptKind { Model, Clutter };
// time | name (35) | folder (87) | (size)[ [Clutter]]
std::string FileLine(std::string_view time, std::string_view name, std::string_view folder,
                     std::string_view sizeText, SweptKind kind);
// time | SWEEP - m Models, c Clutter (35) | target folder
std::string SweepEventLine(std::string_view time, std::int64_t models, std::int64_t clutter,
                           std::string_view targetFolder);
// time | LAUNCH - CP label (35) | target folder
std::string LaunchEventLine(const std::string& time, const std::string& versionLabel,
                            const std::string& targetFolder);

// Sorts a block's file lines as the log has always had them: ignoring
// case, punctuation before digits before letters.
void SortLikeTheLog(std::vector<std::string>& lines);

// A file line read back: timestamp, optional blanks, "|", name, "|",
// folder, "|", rest. Name and folder are trimmed of spaces, tabs, CR and
// LF; the rest (size in parentheses, maybe " [Clutter]") is trimmed too.
// Event lines have a column fewer and give nothing, as does a line whose
// name or folder is empty.
struct HistoryFileLine {
  std::string time;
  std::string name;
  std::string folder;
  std::string rest;
};
std::optional<HistoryFileLine> ParseHistoryFileLine(std::string_view line);

// True when a name or folder comes back whole from a file line, also
// through the restore window's grid: valid UTF-8, not empty, no "|", no
// control character (C0, DEL, C1 such as U+0085), no line or paragraph
// separator (U+2028, U+2029) and no white space of any kind at either end
// (U+00A0 included), since readers split and trim there.
bool IsLoggableName(std::string_view text);

// The day a log line starts with, as local seconds at its midnight; empty
// for a line that does not start with a valid "yyyy-MM-dd".
std::optional<std::int64_t> LineDayStart(std::string_view line);

// The local seconds of a civil date and time (no time zone: the wall clock).
std::int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second);

}  // namespace vantor
