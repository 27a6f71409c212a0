// What each monitor shows during a run: the primary shows the scene in the renderer's own window; every
// other monitor gets a scene of its own at its own size, or, where it shares pixels with the primary, a
// black cover over what the primary does not show. Rectangles are in virtual-screen pixels (left and
// top inside, right and bottom outside); the virtual screen may reach into negative coordinates.
#pragma once
#include <vector>

struct SScreenRect {
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;

    bool IsEmpty() const { return nRight <= nLeft || nBottom <= nTop; }
    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool operator==(const SScreenRect& o) const {
        return nLeft == o.nLeft && nTop == o.nTop && nRight == o.nRight && nBottom == o.nBottom;
    }
};

// One window to put on the screen beside the primary's.
struct SMonitorPiece {
    SScreenRect rc;
    bool bScene = false;  // the scene at rc's size; else a black cover
    int nMonitor = 0;     // index of the monitor it belongs to, in the order given
};

// A monitor apart from the primary gets one piece, the whole monitor, with the scene. A monitor that
// overlaps the primary (a mirror, a larger panel around it) gets black covers for the parts around the
// overlap: a scene there would be cut off by the primary's picture. Empty monitors give nothing, and a
// monitor reported twice gets its piece once.
std::vector<SMonitorPiece> MonitorLayout(const std::vector<SScreenRect>& aMonitors, const SScreenRect& rcPrimary);

// A new layout of the windows beside the primary's: for each of aNow's pieces, the index in aBefore of
// the window that already shows it (the same rectangle, scene or cover alike) and stays, or -1 for a
// window to make. Each window serves one piece at most. The shell makes the new windows before it
// removes the ones no piece keeps, so a monitor whose piece did not change never shows the desktop.
std::vector<int> KeptPieces(const std::vector<SMonitorPiece>& aBefore, const std::vector<SMonitorPiece>& aNow);
