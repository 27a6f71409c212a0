// The run of the native hack, apart from X11: what ends it, when the viewport must follow a new
// window size, when a frame is drawn (paced, and none while the monitor is powered down), and where
// its private picture folder may go. The x11/ loop feeds in what happened and does what this decides.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "renderer/frame_pacing.h"

// Why a run ended; None while it goes on.
enum class HackEnd {
    None,
    Key,         // Escape or q in its own window
    Closed,      // its own window's close button
    WindowGone,  // the window it draws on was destroyed (or the server says it no longer exists)
    Signal,      // SIGTERM, SIGINT or SIGHUP
};

enum class HackKey { Escape, Q, Other };

class CHackRun {
public:
    // bOwnWindow: keys and the close button end the run only in a window of its own; a window that
    // xscreensaver (or anyone else) lends is theirs to watch.
    CHackRun(bool bOwnWindow, int nWidth, int nHeight);

    void OnKey(HackKey eKey);
    void OnCloseRequest();
    void OnWindowDestroyed();
    void OnSignal();
    void OnSize(int nWidth, int nHeight);

    HackEnd End() const { return eEnd; }
    bool Ended() const { return eEnd != HackEnd::None; }

    // True once after each change of size (and once at the start): the viewport and projection must be
    // set for the size returned.
    bool TakeNewSize(int& nWidth, int& nHeight);
    // A new size is waiting: the next frame is due at once, whatever the delay, so that a resized
    // window never shows a stretched or torn picture for long.
    bool SizeChanged() const { return bSizePending; }

private:
    void EndWith(HackEnd e);

    bool bOwnWindow;
    HackEnd eEnd = HackEnd::None;
    int nWidth, nHeight;
    bool bSizePending = true;
};

// The monitor's power level as the X server's power management (DPMS) reports it.
enum class MonitorPower { On, Standby, Suspend, Off, Unknown };

struct DisplayPowerReport {
    bool bCapable = false;  // the server has the DPMS extension, says it can use it, and answered
    bool bEnabled = false;  // power management is switched on
    MonitorPower eLevel = MonitorPower::On;
};

// The display's power management, as the hack's loop asks it; the X11 shell forwards DPMSInfo.
class IDisplayPower {
public:
    virtual ~IDisplayPower() = default;
    virtual DisplayPowerReport QueryPower() = 0;
};

// True unless the server says the monitor is powered down (standby, suspend or off). A server
// without DPMS, a monitor it cannot manage, power management switched off or a level it does not
// name: the monitor is taken to be on, and the hack draws.
bool MonitorShowsPicture(const DisplayPowerReport& cReport);

// How often the monitor's power is asked: at most once a second while frames are drawn (so at most a
// second of frames goes to a monitor that has just powered down), and once a second while it is dark,
// when the loop sleeps that long between turns (events and signals still wake it at once).
constexpr uint64_t kPowerCheckUs = 1000000;

// When the hack draws: one frame every nDelayUs while the monitor shows them, at once after a new size,
// none while it is powered down, and the first one as soon as it is on again, at whatever moment the
// scene clock has reached, whatever the delay. Times are microseconds of a monotonic clock.
class CHackSchedule {
public:
    CHackSchedule(long nDelayUs, IDisplayPower& cPower) : cPacer(nDelayUs), cPower(cPower) {}
    // Called at every turn of the loop, after its events: true when a frame is to be drawn now (it then
    // counts as started). bSizeChanged: a new size is waiting.
    bool FrameDue(uint64_t nNowUs, bool bSizeChanged);
    // The frame just due is the first since the monitor came back on.
    bool Resumed() const { return bResumed; }
    // How long the loop may wait for events before its next turn.
    uint64_t WaitUs(uint64_t nNowUs) const;

private:
    CFramePacer cPacer;
    IDisplayPower& cPower;
    bool bDark = false;
    bool bResumed = false;
    uint64_t nNextCheckUs = 0;
};

// The folders where the private picture folder may be made, best first: $XDG_RUNTIME_DIR (the
// user's own, cleared at logout), $TMPDIR, /tmp. Unset or empty variables and relative paths are skipped.
std::vector<std::string> PictureFolderBases(const char* pszXdgRuntimeDir, const char* pszTmpDir);
