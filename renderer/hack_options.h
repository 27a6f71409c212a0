// The command line of the native hack `vantorel`, in xscreensaver's conventions: where to draw
// (-root, -window-id ID, -window), how fast (-delay USEC), whether to show the frame rate (-fps), and
// optionally one moment to hold still (-time SECONDS).
// One or two leading dashes are the same option.
#pragma once
#include <cstdint>
#include <string>

enum class HackTarget {
    OwnWindow,  // -window: a window of its own, the default when run by hand
    Root,       // -root: the window xscreensaver names in XSCREENSAVER_WINDOW, else the root window
    WindowId,   // -window-id ID: a window someone else made
};

struct HackOptions {
    HackTarget eTarget = HackTarget::OwnWindow;
    unsigned long nWindowId = 0;   // for HackTarget::WindowId
    long nDelayUs = 16666;         // from the start of one frame to the start of the next; 0: no wait
    bool bFps = false;
    std::string sDisplay;          // -display NAME; empty: $DISPLAY
    bool bPinned = false;          // -time SECONDS: one moment of the scene, held still
    uint32_t nPinnedMs = 0;        // that moment, in milliseconds from the scene's start
};

enum class HackCommand {
    Run,    // options are in HackCommandLine::cOptions
    Help,   // print the usage on standard output and end with 0
    Error,  // print sError and the usage on standard error and end with 2
};

struct HackCommandLine {
    HackCommand eCommand = HackCommand::Run;
    HackOptions cOptions;
    std::string sError;
};

// The usage text, ending in a newline.
extern const char kHackUsage[];

HackCommandLine ParseHackCommandLine(int argc, const char* const* argv);

// A window id as X11 hacks take it: decimal, or hexadecimal after 0x. False for anything else,
// for 0 and for values beyond 32 bits.
bool ParseWindowId(const char* psz, unsigned long& nId);
