// Why a table of our own: the portable build has no Windows code page tables, and iconv is not on
// Windows. Only the characters that our texts contain are needed; a new text adds its rows here.
#include "frontend/text_cp932.h"

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

namespace Nerlo_B {
namespace {

struct Cp932Row {
    char32_t cUnicode;
    unsigned char aBytes[2];
};

// Full-width characters of our texts, from the CP932 code chart.
constexpr Cp932Row kCp932Rows[] = {
    {U'区', {0x8B, 0xE6}}, {U'分', {0x95, 0xAA}}, {U'同', {0x93, 0xAF}}, {U'じ', {0x82, 0xB6}},
    {U'に', {0x82, 0xC9}}, {U'見', {0x8C, 0xA9}}, {U'つ', {0x82, 0xC2}}, {U'か', {0x82, 0xA9}},
    {U'り', {0x82, 0xE8}}, {U'ま', {0x82, 0xDC}}, {U'せ', {0x82, 0xB9}}, {U'ん', {0x82, 0xF1}},
    {U'！', {0x81, 0x49}}, {U'が', {0x82, 0xAA}}, {U'を', {0x82, 0xF0}}, {U'開', {0x8A, 0x4A}},
    {U'く', {0x82, 0xAD}}, {U'、', {0x81, 0x41}},
    // the music module's texts
    {U'コ', {0x83, 0x52}}, {U'マ', {0x83, 0x7D}}, {U'ン', {0x83, 0x93}}, {U'ド', {0x83, 0x68}},
    {U'文', {0x95, 0xB6}}, {U'字', {0x8E, 0x9A}}, {U'列', {0x97, 0xF1}}, {U'指', {0x8E, 0x77}},
    {U'定', {0x92, 0xE8}}, {U'さ', {0x82, 0xB3}}, {U'れ', {0x82, 0xEA}}, {U'て', {0x82, 0xC4}},
    {U'い', {0x82, 0xA2}}, {U'取', {0x8E, 0xE6}},
};

// Decodes one UTF-8 character at nPos; false on a broken sequence.
bool NextCodePoint(std::string_view s, std::size_t& nPos, char32_t& cOut) {
    const auto c0 = static_cast<unsigned char>(s[nPos]);
    int nMore = 0;
    char32_t c = 0;
    if (c0 < 0x80) {
        c = c0;
    } else if ((c0 & 0xE0) == 0xC0) {
        c = c0 & 0x1F;
        nMore = 1;
    } else if ((c0 & 0xF0) == 0xE0) {
        c = c0 & 0x0F;
        nMore = 2;
    } else if ((c0 & 0xF8) == 0xF0) {
        c = c0 & 0x07;
        nMore = 3;
    } else {
        return false;
    }
    for (int i = 1; i <= nMore; ++i) {
        if (nPos + i >= s.size()) return false;
        const auto cx = static_cast<unsigned char>(s[nPos + i]);
        if ((cx & 0xC0) != 0x80) return false;
        c = (c << 6) | (cx & 0x3F);
    }
    nPos += 1 + nMore;
    cOut = c;
    return true;
}

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view sUtf8) {
    std::string sOut;
    std::size_t nPos = 0;
    while (nPos < sUtf8.size()) {
        char32_t c = 0;
        if (!NextCodePoint(sUtf8, nPos, c)) return std::nullopt;
        if (c < 0x80) {
            sOut += static_cast<char>(c);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            // Half-width katakana are single bytes A1..DF in the same order.
            sOut += static_cast<char>(0xA1 + (c - 0xFF61));
        } else {
            const Cp932Row* pRow = nullptr;
            for (const auto& row : kCp932Rows) {
                if (row.cUnicode == c) pRow = &row;
            }
            if (pRow == nullptr) return std::nullopt;
            sOut += static_cast<char>(pRow->aBytes[0]);
            sOut += static_cast<char>(pRow->aBytes[1]);
        }
    }
    return sOut;
}

std::string Cp932Text(std::string_view sUtf8) {
    auto sBytes = Utf8ToCp932(sUtf8);
    if (!sBytes) {
        std::fprintf(stderr, "no CP932 row for text: %.*s\n", static_cast<int>(sUtf8.size()), sUtf8.data());
        std::abort();
    }
    return *sBytes;
}

std::u16string Utf8ToUtf16(std::string_view sUtf8) {
    std::u16string sOut;
    std::size_t nPos = 0;
    while (nPos < sUtf8.size()) {
        char32_t c = 0;
        if (!NextCodePoint(sUtf8, nPos, c)) {
            c = 0xFFFD;
            ++nPos;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            sOut += static_cast<char16_t>(0xD800 + (c >> 10));
            sOut += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            sOut += static_cast<char16_t>(c);
        }
    }
    return sOut;
}

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::size_t Cp932PrefixBytes(std::string_view sCp932, std::size_t nCharacters) {
    std::size_t nPos = 0;
    for (std::size_t i = 0; i < nCharacters && nPos < sCp932.size(); ++i) {
        nPos += IsCp932LeadByte(static_cast<unsigned char>(sCp932[nPos])) ? 2 : 1;
    }
    return nPos < sCp932.size() ? nPos : sCp932.size();
}

std::string Cp932LastCharacters(std::string_view sCp932, std::size_t nCharacters) {
    if (nCharacters == 0) return std::string();
    // Lead bytes can also be trail bytes, so characters are only found walking from the start.
    std::vector<std::size_t> aStarts;
    for (std::size_t nPos = 0; nPos < sCp932.size();) {
        aStarts.push_back(nPos);
        nPos += IsCp932LeadByte(static_cast<unsigned char>(sCp932[nPos])) ? 2 : 1;
    }
    if (aStarts.size() <= nCharacters) return std::string(sCp932);
    return std::string(sCp932.substr(aStarts[aStarts.size() - nCharacters]));
}

}  // namespace Nerlo_B
