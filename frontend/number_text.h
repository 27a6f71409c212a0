// The two ways the front-end turns text into a number: a settings value must be a number as a
// whole, while the preview handle is read as far as its leading number goes (Val).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Nerlo_B {

// The number written by the whole text (blanks around it allowed): decimal with optional sign,
// fraction and exponent (E or D), or &H hexadecimal / &O octal. Empty optional when it is not one.
std::optional<double> ParseNumberText(std::string_view sText);

// Val: blanks anywhere are skipped, reading stops at the first character that cannot continue the
// number, text without a leading number gives 0; &H and &O forms are read as 16-bit values up to 16
// bits and 32-bit beyond, so &HFFFF is -1.
double ReadLeadingNumber(std::u16string_view sText);

// Rounds half to even into 32 bits (the run-time's conversion); empty optional on overflow.
std::optional<std::int32_t> RoundToInt32(double fValue);

}  // namespace Nerlo_B
