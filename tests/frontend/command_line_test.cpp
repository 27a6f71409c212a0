// The command-line grammar against the forms Windows really passes and the edge cases of position.
#include "frontend/command_line.h"

#include <gtest/gtest.h>

namespace {

using Nerlo_B::ParseCommandLine;
using Nerlo_B::SaverMode;

struct CommandLineCase {
    const char16_t* pszArguments;
    SaverMode eMode;
    char16_t cModeLetter;
    std::int32_t nPreviewParent;
};

std::string Narrow(const char16_t* psz) {
    std::string s;
    for (; *psz; ++psz) s += *psz < 0x80 ? static_cast<char>(*psz) : '?';
    return s;
}

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << '"' << Narrow(c.pszArguments) << '"'; }

class CommandLineGrammar : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineGrammar, SelectsModeAndPreviewParent) {
    const CommandLineCase& c = GetParam();
    SCOPED_TRACE("arguments \"" + Narrow(c.pszArguments) + "\"");
    const auto line = ParseCommandLine(c.pszArguments);
    EXPECT_EQ(line.eMode, c.eMode);
    EXPECT_EQ(line.cModeLetter, c.cModeLetter);
    EXPECT_EQ(line.nPreviewParent, c.nPreviewParent);
}

INSTANTIATE_TEST_SUITE_P(WindowsForms, CommandLineGrammar, testing::Values(
    CommandLineCase{u"/s", SaverMode::Show, u'S', 0},
    CommandLineCase{u"/S", SaverMode::Show, u'S', 0},
    CommandLineCase{u"-s", SaverMode::Show, u'S', 0},
    CommandLineCase{u"/p 1234", SaverMode::Preview, u'P', 1234},
    CommandLineCase{u"/p:1234", SaverMode::Preview, u'P', 1234},
    CommandLineCase{u"/P 65802", SaverMode::Preview, u'P', 65802},
    CommandLineCase{u"/c", SaverMode::Configure, u'C', 0},
    CommandLineCase{u"/c:1234", SaverMode::Configure, u'C', 0},
    CommandLineCase{u"/a", SaverMode::None, u'A', 0},
    CommandLineCase{u"", SaverMode::ShowWithCursor, 0, 0}));

INSTANTIATE_TEST_SUITE_P(PositionRules, CommandLineGrammar, testing::Values(
    // The letter must be in position 2: a leading blank moves it to position 3.
    CommandLineCase{u" /s", SaverMode::None, u'/', 0},
    // Position 1 is never examined, and nothing past one letter is compared.
    CommandLineCase{u"xs", SaverMode::Show, u'S', 0},
    CommandLineCase{u"/screensaver", SaverMode::Show, u'S', 0},
    CommandLineCase{u"/", SaverMode::None, 0, 0},
    CommandLineCase{u"/x", SaverMode::None, u'X', 0},
    // Full-width letters are not the switch letters.
    CommandLineCase{u"/ｓ", SaverMode::None, u'ｓ', 0}));

INSTANTIATE_TEST_SUITE_P(PreviewHandleText, CommandLineGrammar, testing::Values(
    // Position 3 is skipped whatever it is; the handle starts at position 4.
    CommandLineCase{u"/p=77", SaverMode::Preview, u'P', 77},
    CommandLineCase{u"/p77", SaverMode::Preview, u'P', 7},
    CommandLineCase{u"/p", SaverMode::Preview, u'P', 0},
    CommandLineCase{u"/p ", SaverMode::Preview, u'P', 0},
    // Blanks anywhere are skipped; reading stops at what cannot continue a number.
    CommandLineCase{u"/p  12 34", SaverMode::Preview, u'P', 1234},
    CommandLineCase{u"/p 1234abc", SaverMode::Preview, u'P', 1234},
    CommandLineCase{u"/p abc", SaverMode::Preview, u'P', 0},
    CommandLineCase{u"/p -5", SaverMode::Preview, u'P', -5},
    CommandLineCase{u"/p 12.5", SaverMode::Preview, u'P', 12},
    CommandLineCase{u"/p 13.5", SaverMode::Preview, u'P', 14},
    CommandLineCase{u"/p 1e3", SaverMode::Preview, u'P', 1000},
    CommandLineCase{u"/p 12e", SaverMode::Preview, u'P', 12},
    // Hexadecimal with &H; values up to four digits are 16-bit, so &HFFFF is -1.
    CommandLineCase{u"/p &H1F", SaverMode::Preview, u'P', 31},
    CommandLineCase{u"/p &hFFFF", SaverMode::Preview, u'P', -1},
    CommandLineCase{u"/p &H10000", SaverMode::Preview, u'P', 65536},
    CommandLineCase{u"/p &O17", SaverMode::Preview, u'P', 15},
    // A number beyond 32 bits cannot be converted; the handle stays 0.
    CommandLineCase{u"/p 4294967296", SaverMode::Preview, u'P', 0},
    CommandLineCase{u"/p 2147483647", SaverMode::Preview, u'P', 2147483647}));

struct ProcessCommandLineCase {
    const char16_t* pszCommandLine;
    const char16_t* pszArguments;
};

class ProcessCommandLine : public testing::TestWithParam<ProcessCommandLineCase> {};

TEST_P(ProcessCommandLine, GivesTheArgumentsAfterNameAndOneBlank) {
    SCOPED_TRACE(Narrow(GetParam().pszCommandLine));
    EXPECT_EQ(Nerlo_B::ArgumentsOf(GetParam().pszCommandLine), GetParam().pszArguments);
}

INSTANTIATE_TEST_SUITE_P(Forms, ProcessCommandLine, testing::Values(
    ProcessCommandLineCase{u"\"C:\\Saver\\Vantorel.scr\" /s", u"/s"},
    ProcessCommandLineCase{u"\"C:\\My Saver\\Vantorel.scr\" /p 1234", u"/p 1234"},
    ProcessCommandLineCase{u"C:\\Saver\\Vantorel.scr /c:1234", u"/c:1234"},
    ProcessCommandLineCase{u"Vantorel.scr\t/s", u"/s"},
    ProcessCommandLineCase{u"\"C:\\Saver\\Vantorel.scr\"  /s", u" /s"},
    ProcessCommandLineCase{u"\"C:\\Saver\\Vantorel.scr\"", u""},
    ProcessCommandLineCase{u"\"C:\\Saver\\Vantorel.scr\" ", u""},
    ProcessCommandLineCase{u"Vantorel.scr", u""},
    ProcessCommandLineCase{u"\"C:\\unterminated /s", u""},
    ProcessCommandLineCase{u"", u""}));

}  // namespace
