// The screensaver command line as Windows hands it over ("/s", "/p 1234", "/c:1234", ...): only the
// second character decides the mode, and a preview reads its parent window from the fourth on.
#pragma once

#include <cstdint>
#include <string>

namespace Nerlo_B {

enum class SaverMode {
    Show,            // "S": hide the cursor, run the screensaver
    ShowWithCursor,  // empty command line: run it, cursor left alone
    Preview,         // "P": still picture inside the given window
    Configure,       // "C": settings dialog
    None,            // anything else: end after the start-up checks
};

struct CommandLine {
    SaverMode eMode = SaverMode::None;
    char16_t cModeLetter = 0;         // position 2, upper-cased; 0 when the text is shorter
    std::int32_t nPreviewParent = 0;  // preview only: the parent window handle, 0 when unreadable
};

// sArguments is the command line after the program name.
CommandLine ParseCommandLine(const std::u16string& sArguments);

// The argument string of a whole process command line: what follows the program name (quoted or
// not) and the one blank that separates them. Further blanks belong to the arguments.
std::u16string ArgumentsOf(const std::u16string& sProcessCommandLine);

}  // namespace Nerlo_B
