// The command lines of the native Linux savers, in xscreensaver's conventions: the X11 hack `vantorel`
// (where to draw: -root, -window-id ID, -window) and the Wayland shell `vantorel-wayland` (--background,
// --no-layer-shell); both take how fast (-delay USEC), whether to show the frame rate (-fps), optionally
// one moment to hold still (-time SECONDS), and the display (-display NAME).
// One or two leading dashes are the same option.
#pragma once
#include <cstdint>
#include <string>

enum class HackTarget {
    OwnWindow,  // -window: a window of its own, the default when run by hand
    Root,       // -root: the window xscreensaver names in XSCREENSAVER_WINDOW, else the root window
    WindowId,   // -window-id ID: a window someone else made
};

// Which saver reads the line: each refuses the other's options.
enum class SaverShell { X11, Wayland };

struct SaverOptions {
    HackTarget eTarget = HackTarget::OwnWindow;
    unsigned long nWindowId = 0;   // for HackTarget::WindowId
    long nDelayUs = 16666;         // from the start of one frame to the start of the next; 0: no wait
    bool bFps = false;
    std::string sDisplay;          // -display NAME; empty: $DISPLAY (X11) or $WAYLAND_DISPLAY (Wayland)
    bool bPinned = false;          // -time SECONDS: one moment of the scene, held still
    uint64_t nPinnedMs = 0;        // that moment, in milliseconds from the scene's start
    bool bBackground = false;      // Wayland --background: the background layer, no input
    bool bNoLayerShell = false;    // Wayland --no-layer-shell: fullscreen windows, as where no layer-shell exists
};

enum class SaverCommand {
    Run,    // options are in SaverCommandLine::cOptions
    Help,   // print the usage on standard output and end with 0
    Error,  // print sError and the usage on standard error and end with 2
};

struct SaverCommandLine {
    SaverCommand eCommand = SaverCommand::Run;
    SaverOptions cOptions;
    std::string sError;
};

// The usage text of that saver, ending in a newline.
const char* SaverUsage(SaverShell eShell);

SaverCommandLine ParseSaverCommandLine(int argc, const char* const* argv, SaverShell eShell = SaverShell::X11);

// A window id as X11 hacks take it: decimal, or hexadecimal after 0x. False for anything else,
// for 0 and for values beyond 32 bits.
bool ParseWindowId(const char* psz, unsigned long& nId);
