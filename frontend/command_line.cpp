#include "frontend/command_line.h"

#include "frontend/number_text.h"

namespace Nerlo_B {
namespace {

// Only the letters that mean something are compared, so an ASCII upper-case serves.
char16_t UpperCase(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

CommandLine ParseCommandLine(const std::u16string& sArguments) {
    CommandLine line;
    if (sArguments.empty()) {
        line.eMode = SaverMode::ShowWithCursor;
        return line;
    }
    line.cModeLetter = sArguments.size() >= 2 ? UpperCase(sArguments[1]) : 0;
    switch (line.cModeLetter) {
        case u'S':
            line.eMode = SaverMode::Show;
            break;
        case u'C':
            line.eMode = SaverMode::Configure;
            break;
        case u'P':
            line.eMode = SaverMode::Preview;
            // Position 3 is the blank or colon between switch and handle, skipped unread.
            if (sArguments.size() > 3) {
                line.nPreviewParent = RoundToInt32(ReadLeadingNumber(sArguments.substr(3))).value_or(0);
            }
            break;
        default:
            line.eMode = SaverMode::None;
            break;
    }
    return line;
}

std::u16string ArgumentsOf(const std::u16string& sProcessCommandLine) {
    std::size_t n = 0;
    const std::size_t nSize = sProcessCommandLine.size();
    if (nSize > 0 && sProcessCommandLine[0] == u'"') {
        n = sProcessCommandLine.find(u'"', 1);
        n = n == std::u16string::npos ? nSize : n + 1;
    }
    // The program name runs to the first blank, also past a closing quote as the C run-time reads it.
    while (n < nSize && sProcessCommandLine[n] != u' ' && sProcessCommandLine[n] != u'\t') ++n;
    if (n < nSize) ++n;
    return sProcessCommandLine.substr(n);
}

}  // namespace Nerlo_B
