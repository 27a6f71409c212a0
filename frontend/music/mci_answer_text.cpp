#include "frontend/music/mci_answer_text.h"

#include <cstdlib>
#include <cstring>

#include "frontend/text_cp932.h"

namespace Nerlo_BGM {

std::string TextUpToNul(const char* pBuffer, std::size_t nSize) {
    const void* pNul = std::memchr(pBuffer, '\0', nSize);
    return std::string(pBuffer, pNul ? static_cast<const char*>(pNul) - pBuffer : nSize);
}

bool ContainsErr(std::string_view sCp932) {
    // One byte per character: a two-byte character becomes a NUL, which no test text contains.
    std::string sUpper;
    for (std::size_t i = 0; i < sCp932.size(); ++i) {
        const auto c = static_cast<unsigned char>(sCp932[i]);
        if (Nerlo_B::IsCp932LeadByte(c) && i + 1 < sCp932.size()) {
            sUpper += '\0';
            ++i;
        } else {
            sUpper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c);
        }
    }
    return sUpper.find("ERR") != std::string::npos;
}

std::optional<double> NumberOfText(std::string_view sText) {
    auto IsBlank = [](char c) { return c == ' ' || c == '\t'; };
    auto IsDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (!sText.empty() && IsBlank(sText.front())) sText.remove_prefix(1);
    while (!sText.empty() && IsBlank(sText.back())) sText.remove_suffix(1);

    // Checked by hand first: strtod alone would also take hex, "inf" and "nan".
    std::string sNumber;
    std::size_t i = 0;
    if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) sNumber += sText[i++];
    std::size_t nDigits = 0;
    for (; i < sText.size() && IsDigit(sText[i]); ++i, ++nDigits) sNumber += sText[i];
    if (i < sText.size() && sText[i] == '.') {
        sNumber += sText[i++];
        for (; i < sText.size() && IsDigit(sText[i]); ++i, ++nDigits) sNumber += sText[i];
    }
    if (nDigits == 0) return std::nullopt;
    if (i < sText.size() && (sText[i] == 'e' || sText[i] == 'E' || sText[i] == 'd' || sText[i] == 'D')) {
        sNumber += 'e';
        ++i;
        if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) sNumber += sText[i++];
        std::size_t nExponentDigits = 0;
        for (; i < sText.size() && IsDigit(sText[i]); ++i, ++nExponentDigits) sNumber += sText[i];
        if (nExponentDigits == 0) return std::nullopt;
    }
    if (i != sText.size()) return std::nullopt;
    return std::strtod(sNumber.c_str(), nullptr);
}

}  // namespace Nerlo_BGM
