// The run of the native hack, apart from X11: what ends it, when the viewport must follow a new
// window size, and where its private picture folder may go. The x11/ loop feeds in what happened and does what this decides.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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

// The folders where the private picture folder may be made, best first: $XDG_RUNTIME_DIR (the
// user's own, cleared at logout), $TMPDIR, /tmp. Unset or empty variables and relative paths are skipped.
std::vector<std::string> PictureFolderBases(const char* pszXdgRuntimeDir, const char* pszTmpDir);
