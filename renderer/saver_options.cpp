#include "renderer/saver_options.h"

#include "renderer/stepped_scene_clock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char kX11Usage[] =
    "usage: vantorel [-window | -root | -window-id ID] [-delay USEC] [-fps] [-time SECONDS] [-display NAME]\n"
    "  -window         draw in a window of its own, 1024 x 768 (the default); Escape or q ends it\n"
    "  -root           draw on the window in XSCREENSAVER_WINDOW, else on the root window\n"
    "  -window-id ID   draw on the window ID (decimal, or hexadecimal after 0x)\n"
    "  -delay USEC     microseconds from one frame to the next (default 16666; 0: as fast as it can)\n"
    "  -fps            show the frame rate on the picture (and on standard error) once a second\n"
    "  -time SECONDS   show the scene at that moment after its start, held still (as vantorel-frames --time)\n"
    "  -display NAME   the X display (default: $DISPLAY)\n"
    "Options take one dash or two (--root).\n";

const char kWaylandUsage[] =
    "usage: vantorel-wayland [--background] [--no-layer-shell] [-delay USEC] [-fps] [-time SECONDS] [-display NAME]\n"
    "  (default)        the screensaver: the scene over every output until a key, a button or a pointer move\n"
    "  --background     the scene on the background layer of every output, no input; only a signal ends it\n"
    "  --no-layer-shell a fullscreen window on each output, as on desktops without layer-shell\n"
    "  -delay USEC      at least this many microseconds from one frame to the next (default 16666; 0: every\n"
    "                   frame the compositor asks for)\n"
    "  -fps             print the frame rate on standard error once a second\n"
    "  -time SECONDS    show the scene at that moment after its start, held still (as vantorel-frames --time)\n"
    "  -display NAME    the Wayland display (default: $WAYLAND_DISPLAY)\n"
    "Options take one dash or two (--fps). One saver runs at a time in a session: another one started\n"
    "while it runs ends at once.\n";

// A minute between frames is already a still picture; longer only overflows the timers.
const long kMaxDelayUs = 60L * 1000 * 1000;

bool ParseDelay(const char* psz, long& nUs) {
    if (*psz < '0' || *psz > '9') return false;  // no sign, no blanks
    char* pEnd = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(psz, &pEnd, 10);
    if (*pEnd != '\0' || errno || n > static_cast<unsigned long long>(kMaxDelayUs)) return false;
    nUs = static_cast<long>(n);
    return true;
}

SaverCommandLine Error(std::string sMessage) {
    SaverCommandLine c;
    c.eCommand = SaverCommand::Error;
    c.sError = std::move(sMessage);
    return c;
}

}  // namespace

const char* SaverUsage(SaverShell eShell) { return eShell == SaverShell::Wayland ? kWaylandUsage : kX11Usage; }

bool ParseWindowId(const char* psz, unsigned long& nId) {
    if (psz == nullptr) return false;
    int nBase = 10;
    if (psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X')) {
        nBase = 16;
        psz += 2;
    }
    const bool bDigit = nBase == 16 ? std::strchr("0123456789abcdefABCDEF", *psz) != nullptr && *psz != '\0'
                                    : (*psz >= '0' && *psz <= '9');
    if (!bDigit) return false;
    char* pEnd = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(psz, &pEnd, nBase);
    if (*pEnd != '\0' || errno || n == 0 || n > 0xFFFFFFFFULL) return false;
    nId = static_cast<unsigned long>(n);
    return true;
}

SaverCommandLine ParseSaverCommandLine(int argc, const char* const* argv, SaverShell eShell) {
    const bool bX11 = eShell == SaverShell::X11;
    SaverCommandLine c;
    for (int i = 1; i < argc; ++i) {
        const char* pszArg = argv[i];
        // One dash or two: "--root" is "-root"; "-" and "--" alone name nothing.
        std::string sName;
        if (pszArg[0] == '-' && pszArg[1] == '-' && pszArg[2] != '\0') sName = pszArg + 2;
        else if (pszArg[0] == '-' && pszArg[1] != '\0' && pszArg[1] != '-') sName = pszArg + 1;
        else return Error(std::string("unknown option '") + pszArg + "'");

        // Options of the other saver are unknown here, and so are their values.
        const bool bOther = bX11 ? (sName == "background" || sName == "no-layer-shell")
                                 : (sName == "root" || sName == "window" || sName == "window-id");
        if (bOther) return Error(std::string("unknown option '") + pszArg + "'");
        const bool bTakesValue = sName == "window-id" || sName == "delay" || sName == "display" || sName == "time";
        const char* pszValue = nullptr;
        if (bTakesValue) {
            if (i + 1 >= argc) return Error(std::string(pszArg) + " needs a value");
            pszValue = argv[++i];
        }

        if (sName == "h" || sName == "help") {
            c.eCommand = SaverCommand::Help;
            return c;
        } else if (sName == "root") {
            c.cOptions.eTarget = HackTarget::Root;
        } else if (sName == "window") {
            c.cOptions.eTarget = HackTarget::OwnWindow;
        } else if (sName == "window-id") {
            if (!ParseWindowId(pszValue, c.cOptions.nWindowId))
                return Error(std::string("bad window id '") + pszValue + "'");
            c.cOptions.eTarget = HackTarget::WindowId;
        } else if (sName == "delay") {
            if (!ParseDelay(pszValue, c.cOptions.nDelayUs))
                return Error(std::string("bad delay '") + pszValue + "' (microseconds, 0 to 60000000)");
        } else if (sName == "fps") {
            c.cOptions.bFps = true;
        } else if (sName == "time") {
            if (!ParseSceneSeconds(pszValue, c.cOptions.nPinnedMs))
                return Error(std::string("bad time '") + pszValue +
                             "' (seconds from the scene's start, 0 to 315360000: ten years)");
            c.cOptions.bPinned = true;
        } else if (sName == "display") {
            c.cOptions.sDisplay = pszValue;
        } else if (sName == "background") {
            c.cOptions.bBackground = true;
        } else if (sName == "no-layer-shell") {
            c.cOptions.bNoLayerShell = true;
        } else {
            return Error(std::string("unknown option '") + pszArg + "'");
        }
    }
    return c;
}
