#include "frontend/number_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace Nerlo_B {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return 10 + (c - u'a');
    if (c >= u'A' && c <= u'F') return 10 + (c - u'A');
    return 99;
}

// The value of &H / &O digits; nullopt when there are none or the value needs more than 32 bits.
std::optional<double> RadixValue(const std::u16string& sDigits, int nRadix) {
    if (sDigits.empty()) return std::nullopt;
    std::uint64_t nValue = 0;
    for (char16_t c : sDigits) {
        nValue = nValue * nRadix + DigitValue(c);
        if (nValue > 0xFFFFFFFFull) return std::nullopt;
    }
    // Values that fit 16 bits are read as 16-bit integers: &HFFFF is -1, &H10000 is 65536.
    if (nValue <= 0xFFFF) {
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(nValue)));
    }
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(nValue)));
}

// Reads a number from the start of sText; nConsumed tells how far it went (0 when nothing read).
std::optional<double> ReadNumberPrefix(const std::u16string& sText, std::size_t& nConsumed) {
    std::size_t n = 0;
    nConsumed = 0;
    if (n + 1 < sText.size() && sText[n] == u'&') {
        const char16_t cKind = sText[n + 1];
        const int nRadix = (cKind == u'H' || cKind == u'h') ? 16 : (cKind == u'O' || cKind == u'o') ? 8 : 0;
        if (nRadix == 0) return std::nullopt;
        n += 2;
        std::u16string sDigits;
        while (n < sText.size() && DigitValue(sText[n]) < nRadix) sDigits += sText[n++];
        auto fValue = RadixValue(sDigits, nRadix);
        if (fValue) nConsumed = n;
        return fValue;
    }
    std::string sAscii;
    if (n < sText.size() && (sText[n] == u'+' || sText[n] == u'-')) sAscii += static_cast<char>(sText[n++]);
    std::size_t nMantissaDigits = 0;
    while (n < sText.size() && IsDigit(sText[n])) {
        sAscii += static_cast<char>(sText[n++]);
        ++nMantissaDigits;
    }
    if (n < sText.size() && sText[n] == u'.') {
        sAscii += '.';
        ++n;
        while (n < sText.size() && IsDigit(sText[n])) {
            sAscii += static_cast<char>(sText[n++]);
            ++nMantissaDigits;
        }
    }
    if (nMantissaDigits == 0) return std::nullopt;
    // An exponent counts only when digits follow it; otherwise the number ends before the letter.
    if (n < sText.size() && (sText[n] == u'E' || sText[n] == u'e' || sText[n] == u'D' || sText[n] == u'd')) {
        std::size_t m = n + 1;
        std::string sExponent = "e";
        if (m < sText.size() && (sText[m] == u'+' || sText[m] == u'-')) sExponent += static_cast<char>(sText[m++]);
        if (m < sText.size() && IsDigit(sText[m])) {
            while (m < sText.size() && IsDigit(sText[m])) sExponent += static_cast<char>(sText[m++]);
            sAscii += sExponent;
            n = m;
        }
    }
    nConsumed = n;
    const double fValue = std::strtod(sAscii.c_str(), nullptr);
    if (!std::isfinite(fValue)) return std::nullopt;
    return fValue;
}

}  // namespace

std::optional<double> ParseNumberText(std::string_view sText) {
    std::size_t nBegin = 0;
    std::size_t nEnd = sText.size();
    while (nBegin < nEnd && IsBlank(static_cast<unsigned char>(sText[nBegin]))) ++nBegin;
    while (nEnd > nBegin && IsBlank(static_cast<unsigned char>(sText[nEnd - 1]))) --nEnd;
    std::u16string sCore;
    for (std::size_t i = nBegin; i < nEnd; ++i) {
        const auto c = static_cast<unsigned char>(sText[i]);
        if (c >= 0x80) return std::nullopt;  // no number has a byte beyond ASCII
        sCore += static_cast<char16_t>(c);
    }
    std::size_t nConsumed = 0;
    auto fValue = ReadNumberPrefix(sCore, nConsumed);
    if (!fValue || nConsumed != sCore.size()) return std::nullopt;
    return fValue;
}

double ReadLeadingNumber(std::u16string_view sText) {
    std::u16string sCompact;
    for (char16_t c : sText) {
        if (!IsBlank(c)) sCompact += c;
    }
    std::size_t nConsumed = 0;
    return ReadNumberPrefix(sCompact, nConsumed).value_or(0.0);
}

std::optional<std::int32_t> RoundToInt32(double fValue) {
    if (!std::isfinite(fValue)) return std::nullopt;
    const double fRounded = std::nearbyint(fValue);  // the default rounding mode is half to even
    if (fRounded < -2147483648.0 || fRounded > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(fRounded);
}

}  // namespace Nerlo_B
