#include "maintenance/sweep_bin.h"

#include <filesystem>

#include "shell/paths.h"
#include "shell/text.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool SplitsHere(char c, PathStyle style) {
  // A "\" is an ordinary character in a Linux file name.
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

// Appends the pieces of `rest` to `parts`; false on a "." or ".." step,
// which would lead out of the mirror.
bool AppendPieces(std::string_view rest, PathStyle style, std::vector<std::string>& parts) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && !SplitsHere(rest[i], style)) continue;
    const std::string_view piece = rest.substr(start, i - start);
    start = i + 1;
    if (piece.empty()) continue;
    if (piece == "." || piece == "..") return false;
    parts.emplace_back(piece);
  }
  return true;
}

std::string JoinParts(const std::vector<std::string>& parts, PathStyle style) {
  std::string out;
  for (const auto& part : parts) out = out.empty() ? part : JoinPath(out, part, style);
  return out;
}

// The copy half of a move across volumes: a new file beside `to`, checked,
// then renamed over it.
std::string CopyAcross(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const auto size = fs::file_size(from, ec);
  if (ec) return ReasonText(ec);
  const auto time = fs::last_write_time(from, ec);
  if (ec) return ReasonText(ec);
  fs::path temp = to;
  temp += ToFsPath(".vpart" + UnpredictableName());
  // Without overwrite the copy is created new, never through a planted file.
  fs::copy_file(from, temp, fs::copy_options::none, ec);
  std::error_code sizeError;
  if (!ec && fs::file_size(temp, sizeError) != size) ec = std::make_error_code(std::errc::io_error);
  if (!ec) fs::last_write_time(temp, time, ec);
  if (!ec) ec = RenameWithinVolume(FromFsPath(temp), FromFsPath(to));
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return ReasonText(ec);
  }
  fs::remove(from, ec);
  return {};  // the copy is safe in place even if the original stays
}

}  // namespace

std::vector<std::string> MirrorFolderParts(std::string_view folder, PathStyle style) {
  std::vector<std::string> parts;
  std::string_view rest = folder;
  if (folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\') {
    const std::size_t end = std::min(folder.find('\\', 2), folder.size());
    const std::string_view server = folder.substr(2, end - 2);
    // A device path (\\?\, \\.\), or no plain name: ".." or a "/" inside
    // would lead the copy out of the bin.
    if (server.empty() || server == "?" || server == "." || server == ".." ||
        server.find('/') != std::string_view::npos)
      return {};
    parts = {"Vantor_UNC_Server", std::string(server)};
    rest = folder.substr(end);
  } else if (folder.size() > 2 && IsDriveLetter(folder[0]) && folder[1] == ':' &&
             IsSeparator(folder[2])) {
    parts = {"Vantor_Drive_" + std::string(1, folder[0])};
    rest = folder.substr(3);
  }
  if (!AppendPieces(rest, style, parts)) return {};
  return parts;
}

std::string BinCopyPath(const std::string& binFolder, std::string_view folder,
                        const std::string& fileName, PathStyle style) {
  const auto parts = MirrorFolderParts(folder, style);
  if (parts.empty()) return {};
  return JoinPath(JoinPath(binFolder, JoinParts(parts, style), style), fileName, style);
}

bool FitsHistoryColumn(std::string_view text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '|' || byte < 0x20 || byte == 0x7F) return false;
  }
  return true;
}

std::string MoveFileSafely(const std::string& from, const std::string& to) {
  const std::error_code renamed = RenameWithinVolume(from, to);
  if (!renamed) return {};
  // Only another volume calls for a copy. Any other refusal (the file held
  // open, no right to remove it) would leave the original behind a copy.
  if (renamed != std::errc::cross_device_link) return ReasonText(renamed);
  return CopyAcross(ToFsPath(from), ToFsPath(to));
}

}  // namespace vantor
