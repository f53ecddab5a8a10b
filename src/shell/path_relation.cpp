#include "shell/path_relation.h"

#include <algorithm>

#include "base/text.h"

namespace vantor {
namespace {

bool IsStyleSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

std::vector<std::string> SplitComponents(std::string_view text, PathStyle style) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : text) {
    if (!IsStyleSeparator(c, style)) {
      part += c;
      continue;
    }
    if (!part.empty()) parts.push_back(part);
    part.clear();
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// Windows drops trailing dots and spaces from a name: "Vantor. " is "Vantor".
std::string WindowsName(std::string name) {
  if (name == "." || name == "..") return name;
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return ToLowerAscii(name);
}

// Appends `steps` to `components` (root first), resolving "." and ".."; a
// ".." at the root stays at the root, as the file system reads it.
void AppendSteps(std::vector<std::string>& components, const std::vector<std::string>& steps,
                 PathStyle style) {
  for (const auto& raw : steps) {
    const std::string step = style == PathStyle::Windows ? WindowsName(raw) : raw;
    if (step.empty() || step == ".") continue;
    if (step == "..") {
      if (components.size() > 1) components.pop_back();
      continue;
    }
    components.push_back(step);
  }
}

bool IsDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

// "\\?\C:\x" and "\\?\UNC\server\share\x" name the same files as
// "C:\x" and "\\server\share\x".
std::string WithoutLongPrefix(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.starts_with("\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
  if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\")) return path.substr(4);
  return path;
}

std::vector<std::string> WindowsComponents(std::string_view text, std::string_view base) {
  const std::string path = WithoutLongPrefix(std::string(text));
  std::vector<std::string> components;
  if (path.starts_with("\\\\")) {
    const auto parts = SplitComponents(path, PathStyle::Windows);
    if (parts.size() < 2) return {};
    components.push_back("\\\\" + ToLowerAscii(parts[0]) + "\\" + ToLowerAscii(parts[1]));
    AppendSteps(components, {parts.begin() + 2, parts.end()}, PathStyle::Windows);
    return components;
  }
  std::string_view rest = path;
  if (IsDriveLetter(path)) {
    const std::string drive = ToLowerAscii(path.substr(0, 2));
    rest.remove_prefix(2);
    const bool driveRelative = rest.empty() || rest[0] != '\\';
    if (driveRelative) components = WindowsComponents(base, {});
    // The current folder of another drive is unknown here: read as its root.
    if (components.empty() || components[0] != drive) components = {drive};
  } else {
    components = WindowsComponents(base, {});
    if (components.empty()) return {};
    if (!rest.empty() && rest[0] == '\\') components.resize(1);  // "\x": root of the base
  }
  AppendSteps(components, SplitComponents(rest, PathStyle::Windows), PathStyle::Windows);
  return components;
}

std::vector<std::string> PosixComponents(std::string_view path, std::string_view base) {
  std::vector<std::string> components;
  if (path.starts_with("/")) {
    components.push_back("/");
  } else {
    if (!base.starts_with("/")) return {};
    components = PosixComponents(base, {});
  }
  AppendSteps(components, SplitComponents(path, PathStyle::Posix), PathStyle::Posix);
  return components;
}

}  // namespace

std::vector<std::string> NormalisedComponents(std::string_view path, std::string_view base,
                                              PathStyle style) {
  return style == PathStyle::Windows ? WindowsComponents(path, base) : PosixComponents(path, base);
}

PathRelation RelationOf(std::string_view first, std::string_view second, std::string_view base,
                        PathStyle style) {
  const auto a = NormalisedComponents(first, base, style);
  const auto b = NormalisedComponents(second, base, style);
  if (a.empty() || b.empty()) return PathRelation::Separate;
  const std::size_t common = std::min(a.size(), b.size());
  if (!std::equal(a.begin(), a.begin() + common, b.begin())) return PathRelation::Separate;
  if (a.size() == b.size()) return PathRelation::Same;
  return a.size() > b.size() ? PathRelation::FirstInsideSecond : PathRelation::SecondInsideFirst;
}

}  // namespace vantor
