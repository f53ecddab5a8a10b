// Letter case as file names need it: Windows finds "Ärger.log" under
// "ärger.log", and PowerShell's -like ignores case beyond ASCII. Simple
// one-to-one pairs of Latin, Greek, Cyrillic, Armenian and fullwidth letters
// and the Kelvin, Angstrom and micro signs; no special casing (no "ß" to
// "SS").
#pragma once

#include <string>
#include <string_view>

namespace vantor {

char32_t LowerLetter(char32_t c);
char32_t UpperLetter(char32_t c);

// Code points of UTF-8 text; a byte that is not UTF-8 stands for itself in
// the surrogate range, so it equals only itself.
std::u32string CodePoints(std::string_view text);

// Equal for two texts that differ only in letter case.
std::u32string CaseBlindKey(std::string_view text);

}  // namespace vantor
