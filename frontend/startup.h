// Start-up of Vantorel.scr: the instance check, the mode from the command line, the folder for the
// texture pictures, the settings and the renderer check. It decides; the caller opens the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frontend/command_line.h"
#include "frontend/frontend_port.h"
#include "frontend/settings_file.h"

namespace Nerlo_B {

// What lives for the whole process: filled by Main, read by the forms.
struct FrontEndState {
    CommandLine commandLine;
    std::string sProgramFolder;               // system code page bytes, as for every path
    std::optional<std::int32_t> CursorCount;  // set when the cursor was hidden for a show run
    std::int32_t ApiResult = 0;
    BgmSettings settings;
};

enum class StartupNext {
    EndProgram,          // another instance runs, nothing to show, or the renderer is missing
    ShowPreview,         // build the preview in commandLine.nPreviewParent
    ShowSettingsDialog,  // show the settings dialog modally, then end
    LoadShowForm,        // load the hidden show form, which runs the screensaver
};

// Runs the start-up steps in order for the command line and program folder already in state.
StartupNext Main(CFrontEndPort& port, FrontEndState& state);

}  // namespace Nerlo_B
