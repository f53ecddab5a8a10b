#include "platform/posix/install_posix.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace vantor {
namespace {

struct RegistryLine {
  std::string key, name, data;
};

std::string Home() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) : std::string();
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The line formats below cannot hold these characters.
bool FitsOnOneLine(const std::string& text) {
  return text.find_first_of("\r\n") == std::string::npos;
}

// Registry names compare without regard to case, as on Windows.
bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

bool InTree(const std::string& key, const std::string& tree) {
  const std::string k = Lower(key), t = Lower(tree);
  return k == t || k.starts_with(t + "\\");
}

std::error_code Invalid() { return std::make_error_code(std::errc::invalid_argument); }

// The registry file, or $HOME's absence as the reason there is none.
SystemResult<std::string> RegistryFile() {
  const std::string path = PosixRegistryFile();
  if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  return path;
}

// An error when the file is there but cannot be read, so that it is never
// rewritten from an empty list.
SystemResult<std::vector<RegistryLine>> ReadRegistry(const std::string& path) {
  std::vector<RegistryLine> lines;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (ec) return ec;
  if (!exists) return lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::error_code(errno ? errno : EIO, std::generic_category());
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find('\t');
    if (first == std::string::npos) continue;
    const auto second = line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    lines.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                     line.substr(second + 1)});
  }
  if (in.bad()) return std::make_error_code(std::errc::io_error);
  return lines;
}

std::error_code WriteRegistry(const std::string& path, const std::vector<RegistryLine>& lines) {
  std::string text;
  for (const auto& line : lines) text += line.key + "\t" + line.name + "\t" + line.data + "\n";
  return ReplaceFileAtomically(path, text);
}

}  // namespace

std::string PosixDesktopFolder() {
  const std::string home = Home();
  return home.empty() ? home : home + "/Desktop";
}

std::string PosixProgramsFolder() {
  const std::string home = Home();
  return home.empty() ? home : home + "/.local/share/applications";
}

std::string PosixRegistryFile() {
  const std::string home = Home();
  return home.empty() ? home : home + "/.vantor-registry";
}

std::error_code PosixSetRegistryString(const std::string& key, const std::string& valueName,
                                       const std::string& data) {
  if (key.empty()) return Invalid();
  if (key.find('\t') != std::string::npos || valueName.find('\t') != std::string::npos)
    return Invalid();
  if (!FitsOnOneLine(key) || !FitsOnOneLine(valueName) || !FitsOnOneLine(data)) return Invalid();
  const auto path = RegistryFile();
  if (!path) return path.error();
  auto lines = ReadRegistry(*path);
  if (!lines) return lines.error();
  bool replaced = false;
  for (auto& line : *lines) {
    if (SameName(line.key, key) && SameName(line.name, valueName)) {
      line.data = data;
      replaced = true;
    }
  }
  if (!replaced) lines->push_back({key, valueName, data});
  return WriteRegistry(*path, *lines);
}

std::error_code PosixDeleteRegistryTree(const std::string& key) {
  if (key.empty()) return Invalid();
  const auto path = RegistryFile();
  if (!path) return path.error();
  auto lines = ReadRegistry(*path);
  if (!lines) return lines.error();
  const auto removed =
      std::erase_if(*lines, [&](const RegistryLine& line) { return InTree(line.key, key); });
  if (removed == 0) return {};  // nothing there: nothing to rewrite
  return WriteRegistry(*path, *lines);
}

std::vector<std::string> PosixRegistrySubKeys(const std::string& key) {
  std::vector<std::string> names;
  const auto path = RegistryFile();
  if (!path) return names;
  const auto lines = ReadRegistry(*path);
  if (!lines) return names;
  const std::string prefix = Lower(key) + "\\";
  for (const auto& line : *lines) {
    if (!Lower(line.key).starts_with(prefix)) continue;
    const std::string rest = line.key.substr(prefix.size());
    const std::string name = rest.substr(0, rest.find('\\'));
    bool seen = name.empty();
    for (const auto& known : names) seen = seen || SameName(known, name);
    if (!seen) names.push_back(name);
  }
  return names;
}

std::optional<std::string> PosixReadRegistryString(const std::string& key,
                                                   const std::string& valueName) {
  const auto path = RegistryFile();
  if (!path) return std::nullopt;
  const auto lines = ReadRegistry(*path);
  if (!lines) return std::nullopt;
  for (const auto& line : *lines)
    if (SameName(line.key, key) && SameName(line.name, valueName)) return line.data;
  return std::nullopt;
}

std::error_code PosixCreateShellLink(const ShellLink& link) {
  for (const std::string* field :
       {&link.target, &link.arguments, &link.description, &link.iconFile, &link.workingFolder})
    if (!FitsOnOneLine(*field)) return Invalid();
  const std::string text = "target=" + link.target + "\n" + "arguments=" + link.arguments + "\n" +
                           "description=" + link.description + "\n" + "iconFile=" + link.iconFile +
                           "\n" + "iconIndex=" + std::to_string(link.iconIndex) + "\n" +
                           "workingFolder=" + link.workingFolder + "\n" +
                           "windowState=" + std::to_string(link.windowState) + "\n";
  return ReplaceFileAtomically(link.linkPath, text);
}

}  // namespace vantor
