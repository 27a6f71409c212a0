// Where the black covers go during a run: every part of every monitor that the primary, which shows
// the scene, does not show. Rectangles are in virtual-screen pixels (left and top inside, right and
// bottom outside); the virtual screen may reach into negative coordinates.
#pragma once
#include <vector>

struct SScreenRect {
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;

    bool IsEmpty() const { return nRight <= nLeft || nBottom <= nTop; }
    bool operator==(const SScreenRect& o) const {
        return nLeft == o.nLeft && nTop == o.nTop && nRight == o.nRight && nBottom == o.nBottom;
    }
};

// One rectangle per uncovered piece: a monitor apart from the primary whole, one overlapping it as
// the pieces around the overlap. Empty monitors give nothing, and a monitor reported twice (a
// mirrored one) is covered once.
std::vector<SScreenRect> CoverLayout(const std::vector<SScreenRect>& aMonitors, const SScreenRect& rcPrimary);
