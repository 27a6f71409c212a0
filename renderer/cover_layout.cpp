#include "renderer/cover_layout.h"

#include <algorithm>

namespace {

void AddPiece(std::vector<SScreenRect>& aCovers, const SScreenRect& rc) {
    if (rc.IsEmpty()) return;
    if (std::find(aCovers.begin(), aCovers.end(), rc) != aCovers.end()) return;
    aCovers.push_back(rc);
}

}  // namespace

std::vector<SScreenRect> CoverLayout(const std::vector<SScreenRect>& aMonitors, const SScreenRect& rcPrimary) {
    std::vector<SScreenRect> aCovers;
    for (const SScreenRect& m : aMonitors) {
        if (m.IsEmpty()) continue;
        const SScreenRect rcOverlap = {std::max(m.nLeft, rcPrimary.nLeft), std::max(m.nTop, rcPrimary.nTop),
                                       std::min(m.nRight, rcPrimary.nRight), std::min(m.nBottom, rcPrimary.nBottom)};
        if (rcPrimary.IsEmpty() || rcOverlap.IsEmpty()) {
            AddPiece(aCovers, m);
            continue;
        }
        // Above and below the overlap across the monitor's width, then left and right of it.
        AddPiece(aCovers, {m.nLeft, m.nTop, m.nRight, rcOverlap.nTop});
        AddPiece(aCovers, {m.nLeft, rcOverlap.nBottom, m.nRight, m.nBottom});
        AddPiece(aCovers, {m.nLeft, rcOverlap.nTop, rcOverlap.nLeft, rcOverlap.nBottom});
        AddPiece(aCovers, {rcOverlap.nRight, rcOverlap.nTop, m.nRight, rcOverlap.nBottom});
    }
    return aCovers;
}
