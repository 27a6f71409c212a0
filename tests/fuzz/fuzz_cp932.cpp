// The CP932 conversions over any bytes: UTF-8 to CP932 and UTF-16 (the settings dialog's file names
// and the texts shown), and the character walks over CP932 bytes that cut settings keys and find a
// path's last character. None may split a two-byte character or step past the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/text_cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string_view sBytes(reinterpret_cast<const char*>(pData), nSize);

    if (const auto sCp932 = Nerlo_B::Utf8ToCp932(sBytes)) {
        // Every character becomes one or two bytes, never more than its UTF-8 form.
        if (sCp932->size() > sBytes.size()) std::abort();
    }
    const std::u16string sUtf16 = Nerlo_B::Utf8ToUtf16(sBytes);
    if (sUtf16.size() > sBytes.size()) std::abort();

    // Count the characters of the bytes as CP932 text: a lead byte takes the byte after it.
    size_t nCharacters = 0;
    for (size_t i = 0; i < sBytes.size(); ++nCharacters) {
        i += (Nerlo_B::IsCp932LeadByte(static_cast<unsigned char>(sBytes[i])) && i + 1 < sBytes.size()) ? 2 : 1;
    }
    for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(127), nCharacters, nCharacters + 1, size_t(-1)}) {
        const size_t nPrefix = Nerlo_B::Cp932PrefixBytes(sBytes, n);
        if (nPrefix > sBytes.size()) std::abort();
        if (n >= nCharacters && nPrefix != sBytes.size()) std::abort();
        const std::string sLast = Nerlo_B::Cp932LastCharacters(sBytes, n);
        if (sLast.size() > sBytes.size() || sBytes.substr(sBytes.size() - sLast.size()) != sLast) std::abort();
        if (n >= nCharacters && sLast.size() != sBytes.size()) std::abort();
        if (n == 0 && !sLast.empty()) std::abort();
    }
    return 0;
}
