#include <windows.h>

#include "platform/platform.h"

namespace vantor {

std::optional<std::string_view> EmbeddedResource(int number) {
  const auto id = MAKEINTRESOURCEW(number);
  HRSRC found = FindResourceW(nullptr, id, L"TEXT");
  if (!found) found = FindResourceW(nullptr, id, L"PDF");
  if (!found) found = FindResourceW(nullptr, id, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) return std::nullopt;
  const HGLOBAL loaded = LoadResource(nullptr, found);
  if (!loaded) return std::nullopt;
  const void* bytes = LockResource(loaded);
  if (!bytes) return std::nullopt;
  return std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

}  // namespace vantor
