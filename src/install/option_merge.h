// Merging one Creo option file (config.pro, a mapkey file) into another the
// way Creo reads them. The migration wizard's script keeps the same rule in
// PowerShell (Merge-OptionLine); a test holds the two to each other.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Options that Creo reads every time they appear instead of letting a later
// line replace an earlier one.
bool IsRepeatableOption(std::string_view lowerName);

struct MergedOptions {
  std::vector<std::string> lines;
  // Index of the first line appended after the master's own lines (equal to
  // lines.size() when nothing was appended).
  std::size_t appendedFrom = 0;
};

// Merges the incoming lines into the master's by identity:
// - a mapkey block (the "mapkey" line and the "mapkey(continued)" lines after
//   it) is identified by its key sequence and merged as an option named by
//   it (Creo too uses the last definition of a key);
// - a repeatable option is appended unless the same line is already there;
//   so is every line of a name (or key sequence) the incoming file itself
//   repeats;
// - any other option replaces the last line naming the same option (the one
//   Creo reads; the name compared in lower case) and earlier lines naming it
//   go, or is appended; a line without a value counts;
// - a comment line is appended unless the master already held it, and blank
//   lines only come along in front of an appended line.
// An entry that is already there as it is changes nothing, so merging the
// same file twice gives what merging it once gave.
MergedOptions MergeOptionFile(std::vector<std::string> master,
                              const std::vector<std::string>& incoming);

inline std::vector<std::string> MergeOptionLines(std::vector<std::string> master,
                                                 const std::vector<std::string>& incoming) {
  return MergeOptionFile(std::move(master), incoming).lines;
}

// The bytes of a master option file (empty when there is none) with the
// incoming file merged in, in the master's encoding, CR LF line ends.
std::string MergeOptionBytes(std::string_view master, std::string_view incoming);

// The same for a mapkey file; what it adds comes under a marker block that
// names the add-on file, and nothing at all when everything was there.
std::string MergeMapkeyBytes(std::string_view master, std::string_view fileName,
                             std::string_view incoming);

}  // namespace vantor
