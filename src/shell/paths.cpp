#include "shell/paths.h"

namespace vantor {

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

std::string LastComponent(std::string_view path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  return std::string(path.substr(cut));
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

bool CreateFolders(std::string_view path) {
  std::error_code ec;
  std::filesystem::create_directories(ToFsPath(path), ec);
  return IsDirectory(path);
}

}  // namespace vantor
