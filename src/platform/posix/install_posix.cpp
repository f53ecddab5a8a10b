#include "platform/posix/install_posix.h"

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

// Empty when the file is there but cannot be read, so that it is never
// rewritten from an empty list.
std::optional<std::vector<RegistryLine>> ReadRegistry(const std::string& path) {
  std::vector<RegistryLine> lines;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (ec) return std::nullopt;
  if (!exists) return lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find('\t');
    if (first == std::string::npos) continue;
    const auto second = line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    lines.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                     line.substr(second + 1)});
  }
  if (in.bad()) return std::nullopt;
  return lines;
}

bool WriteRegistry(const std::string& path, const std::vector<RegistryLine>& lines) {
  std::string text;
  for (const auto& line : lines) text += line.key + "\t" + line.name + "\t" + line.data + "\n";
  return !ReplaceFileAtomically(path, text);
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

bool PosixSetRegistryString(const std::string& key, const std::string& valueName,
                            const std::string& data) {
  const std::string path = PosixRegistryFile();
  if (path.empty() || key.empty()) return false;
  if (key.find('\t') != std::string::npos || valueName.find('\t') != std::string::npos)
    return false;
  if (!FitsOnOneLine(key) || !FitsOnOneLine(valueName) || !FitsOnOneLine(data)) return false;
  auto lines = ReadRegistry(path);
  if (!lines) return false;
  bool replaced = false;
  for (auto& line : *lines) {
    if (SameName(line.key, key) && SameName(line.name, valueName)) {
      line.data = data;
      replaced = true;
    }
  }
  if (!replaced) lines->push_back({key, valueName, data});
  return WriteRegistry(path, *lines);
}

bool PosixDeleteRegistryTree(const std::string& key) {
  const std::string path = PosixRegistryFile();
  if (path.empty() || key.empty()) return false;
  auto lines = ReadRegistry(path);
  if (!lines) return false;
  const auto removed =
      std::erase_if(*lines, [&](const RegistryLine& line) { return InTree(line.key, key); });
  if (removed == 0) return true;  // nothing there: nothing to rewrite
  return WriteRegistry(path, *lines);
}

bool PosixCreateShellLink(const ShellLink& link) {
  for (const std::string* field :
       {&link.target, &link.arguments, &link.description, &link.iconFile, &link.workingFolder})
    if (!FitsOnOneLine(*field)) return false;
  const std::string text = "target=" + link.target + "\n" + "arguments=" + link.arguments + "\n" +
                           "description=" + link.description + "\n" + "iconFile=" + link.iconFile +
                           "\n" + "iconIndex=" + std::to_string(link.iconIndex) + "\n" +
                           "workingFolder=" + link.workingFolder + "\n" +
                           "windowState=" + std::to_string(link.windowState) + "\n";
  return !ReplaceFileAtomically(link.linkPath, text);
}

}  // namespace vantor
