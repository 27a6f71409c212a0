// The command line Windows hands to Vantorel.scr and the preview handle read from it, over any UTF-16
// text (two input bytes a character): the process command line is split off its program name, the
// mode letter decided, the handle read as far as it goes. The number readers behind it get the same
// text as settings-file bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "frontend/command_line.h"
#include "frontend/number_text.h"

namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::u16string sProcessLine;
    for (size_t i = 0; i + 1 < nSize; i += 2) sProcessLine += static_cast<char16_t>(pData[i] | (pData[i + 1] << 8));

    const std::u16string sArguments = Nerlo_B::ArgumentsOf(sProcessLine);
    // The arguments are the tail of the line.
    if (sArguments.size() > sProcessLine.size() ||
        sProcessLine.compare(sProcessLine.size() - sArguments.size(), std::u16string::npos, sArguments) != 0)
        std::abort();

    for (const std::u16string* ps : {static_cast<const std::u16string*>(&sProcessLine), &sArguments}) {
        const Nerlo_B::CommandLine line = Nerlo_B::ParseCommandLine(*ps);
        const char16_t cLetter = ps->size() >= 2 ? Upper((*ps)[1]) : 0;
        if (ps->empty() ? line.eMode != Nerlo_B::SaverMode::ShowWithCursor : line.cModeLetter != cLetter) std::abort();
        if (line.eMode != Nerlo_B::SaverMode::Preview && line.nPreviewParent != 0) std::abort();
        const bool bKnown = cLetter == u'S' || cLetter == u'C' || cLetter == u'P';
        if (!ps->empty() && bKnown == (line.eMode == Nerlo_B::SaverMode::None)) std::abort();
        if (ps->size() > 3) {
            const double fHandle = Nerlo_B::ReadLeadingNumber(ps->substr(3));
            if (std::isnan(fHandle)) std::abort();
            (void)Nerlo_B::RoundToInt32(fHandle);
        }
    }

    // The same bytes as a settings value: a number read as a whole is a finite one.
    const std::string sBytes(reinterpret_cast<const char*>(pData), nSize);
    if (const auto fValue = Nerlo_B::ParseNumberText(sBytes)) {
        if (std::isnan(*fValue)) std::abort();
        if (const auto nRounded = Nerlo_B::RoundToInt32(*fValue)) {
            if (std::fabs(*nRounded - *fValue) > 0.5) std::abort();
        }
    }
    return 0;
}
