// UTF-8 inside the program, UTF-16 at the Win32 "W" calls.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A path for the "W" file calls: past the classic 260-character limit an
// absolute path gets the \\?\ form (\\?\UNC\ for a share), which those calls
// take at any length. Shorter and relative paths stay as they are.
std::wstring WidePath(std::string_view utf8);

}  // namespace vantor
