#include "base/paths.h"

#include <vector>

#include "base/text.h"

namespace vantor {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

bool IsDevicePath(std::string_view path) {
  return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
}

// The path text joined to the current directory where it depends on it.
std::string Anchored(std::string_view path, std::string_view current, PathStyle style) {
  const std::string sep(1, Separator(style));
  if (style == PathStyle::Posix)
    return path.starts_with('/') ? std::string(path)
                                 : std::string(current) + sep + std::string(path);
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::string(path);
  if (HasDrive(path)) {
    if (path.size() > 2 && IsSeparator(path[2])) return std::string(path);
    const bool sameDrive =
        HasDrive(current) && ToUpperAscii(current.substr(0, 1)) == ToUpperAscii(path.substr(0, 1));
    const std::string base = sameDrive ? std::string(current) : std::string(path.substr(0, 2));
    return base + sep + std::string(path.substr(2));
  }
  if (!path.empty() && IsSeparator(path[0]))  // the root of the current drive
    return (HasDrive(current) ? std::string(current.substr(0, 2)) : std::string()) +
           std::string(path);
  return std::string(current) + sep + std::string(path);
}

// How much of a full path is its root: "/", "C:\", or "\\server\share".
std::size_t RootLength(std::string_view full, PathStyle style) {
  if (style == PathStyle::Posix) return full.starts_with('/') ? 1 : 0;
  if (HasDrive(full)) return full.size() > 2 && IsSeparator(full[2]) ? 3 : 2;
  if (full.size() < 2 || !IsSeparator(full[0]) || !IsSeparator(full[1])) return 0;
  // Server and share; more separators than one before either do not make
  // it empty, as the path comparison reads them too.
  std::size_t end = 2;
  for (int component = 0; component < 2; ++component) {
    while (end < full.size() && IsSeparator(full[end])) ++end;
    while (end < full.size() && !IsSeparator(full[end])) ++end;
  }
  return end;
}

}  // namespace

char Separator(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string StripTrailingSeparators(std::string_view path) {
  std::size_t end = path.size();
  while (end > 1 && IsSeparator(path[end - 1])) --end;
  return std::string(path.substr(0, end));
}

std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style) {
  std::string out(folder);
  if (!out.empty() && !IsSeparator(out.back())) out += Separator(style);
  out += name;
  return out;
}

std::string ParentFolder(std::string_view path) {
  const std::string trimmed = StripTrailingSeparators(path);
  std::size_t cut = trimmed.size();
  while (cut > 0 && !IsSeparator(trimmed[cut - 1])) --cut;
  if (cut == 0) return {};
  return StripTrailingSeparators(std::string_view(trimmed).substr(0, cut));
}

std::string FolderOf(std::string_view path, PathStyle style) {
  std::string folder = ParentFolder(path);
  if (style == PathStyle::Windows && folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

std::string LastComponent(std::string_view path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  return std::string(path.substr(cut));
}

std::string AbsolutePath(std::string_view path, std::string_view currentDirectory,
                         PathStyle style) {
  if (style == PathStyle::Windows && IsDevicePath(path)) return std::string(path);
  const std::string full = Anchored(path, currentDirectory, style);
  const std::size_t rootLength = RootLength(full, style);
  // The root in the style's separators, doubled ones after the server dropped.
  std::string root;
  for (std::size_t i = 0; i < rootLength; ++i) {
    const char c = IsSeparator(full[i]) ? Separator(style) : full[i];
    if (i > 2 && c == Separator(style) && root.back() == c) continue;
    root += c;
  }
  std::vector<std::string_view> pieces;
  const std::string_view rest = std::string_view(full).substr(rootLength);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    const bool splits =
        i == rest.size() || rest[i] == '/' || (style == PathStyle::Windows && rest[i] == '\\');
    if (!splits) continue;
    const std::string_view piece = rest.substr(start, i - start);
    start = i + 1;
    if (piece.empty() || piece == ".") continue;
    if (piece != "..")
      pieces.push_back(piece);
    else if (!pieces.empty())
      pieces.pop_back();  // never above the root
  }
  // Only the style's own separator joins: a POSIX name may end in "\".
  std::string out = root;
  for (const auto piece : pieces) {
    if (!out.empty() && out.back() != Separator(style)) out += Separator(style);
    out += piece;
  }
  return out.empty() ? std::string(1, '.') : out;
}

std::filesystem::path ToFsPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromFsPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool PathExists(std::string_view path) {
  std::error_code ec;
  return std::filesystem::exists(ToFsPath(path), ec) && !ec;
}

bool IsDirectory(std::string_view path) {
  std::error_code ec;
  return std::filesystem::is_directory(ToFsPath(path), ec) && !ec;
}

bool CreateFolders(std::string_view path) { return !CreateFoldersOrReason(path); }

std::error_code CreateFoldersOrReason(std::string_view path) {
  std::error_code ec;
  std::filesystem::create_directories(ToFsPath(path), ec);
  if (IsDirectory(path)) return {};
  return ec ? ec : std::make_error_code(std::errc::not_a_directory);
}

}  // namespace vantor
