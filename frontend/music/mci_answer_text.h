// How the music module reads MCI answers: CP932 text, upper-cased and compared the way the CD watch
// needs it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Nerlo_BGM {

// The text before the first NUL of a buffer of nSize bytes (all of it when there is no NUL).
std::string TextUpToNul(const char* pBuffer, std::size_t nSize);

// True when the text, upper-cased, contains "ERR". Two-byte characters are skipped whole, so a
// trail byte that happens to be a Latin letter never counts.
bool ContainsErr(std::string_view sCp932);

// The text as a number, the way a comparison of text with a number reads it: blanks around it,
// a sign, decimal digits with an optional fraction and exponent. Empty when it is not a number.
std::optional<double> NumberOfText(std::string_view sText);

}  // namespace Nerlo_BGM
