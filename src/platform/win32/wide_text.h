// UTF-8 inside the program, UTF-16 at the Win32 "W" calls.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace vantor
