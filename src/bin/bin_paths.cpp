#include "bin/bin_paths.h"

#include <algorithm>

#include "base/paths.h"
#include "base/shared_constants.h"

namespace vantor {
namespace {

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

}  // namespace

std::string BinFolderOf(const std::string& anchorFolder, PathStyle style) {
  return JoinPath(anchorFolder, kBinFolderName, style);
}

std::string HistoryLogOf(const std::string& anchorFolder, PathStyle style) {
  return JoinPath(BinFolderOf(anchorFolder, style), kHistoryLogName, style);
}

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

std::string MirrorFolderOf(const std::string& binFolder, std::string_view folder, PathStyle style) {
  const auto parts = MirrorFolderParts(folder, style);
  if (parts.empty()) return {};
  return JoinPath(binFolder, JoinParts(parts, style), style);
}

std::string BinCopyPath(const std::string& binFolder, std::string_view folder,
                        const std::string& fileName, PathStyle style) {
  const std::string mirror = MirrorFolderOf(binFolder, folder, style);
  if (mirror.empty()) return {};
  return JoinPath(mirror, fileName, style);
}

}  // namespace vantor
