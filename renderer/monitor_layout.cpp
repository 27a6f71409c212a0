#include "renderer/monitor_layout.h"

#include <algorithm>

namespace {

void AddPiece(std::vector<SMonitorPiece>& aPieces, const SScreenRect& rc, bool bScene, int nMonitor) {
    if (rc.IsEmpty()) return;
    const auto itSame = std::find_if(aPieces.begin(), aPieces.end(), [&](const SMonitorPiece& p) { return p.rc == rc; });
    if (itSame != aPieces.end()) return;
    aPieces.push_back({rc, bScene, nMonitor});
}

}  // namespace

std::vector<SMonitorPiece> MonitorLayout(const std::vector<SScreenRect>& aMonitors, const SScreenRect& rcPrimary) {
    std::vector<SMonitorPiece> aPieces;
    for (std::size_t i = 0; i < aMonitors.size(); ++i) {
        const SScreenRect& m = aMonitors[i];
        const int n = static_cast<int>(i);
        if (m.IsEmpty()) continue;
        const SScreenRect rcOverlap = {std::max(m.nLeft, rcPrimary.nLeft), std::max(m.nTop, rcPrimary.nTop),
                                       std::min(m.nRight, rcPrimary.nRight), std::min(m.nBottom, rcPrimary.nBottom)};
        if (rcPrimary.IsEmpty() || rcOverlap.IsEmpty()) {
            AddPiece(aPieces, m, true, n);
            continue;
        }
        // Above and below the overlap across the monitor's width, then left and right of it.
        AddPiece(aPieces, {m.nLeft, m.nTop, m.nRight, rcOverlap.nTop}, false, n);
        AddPiece(aPieces, {m.nLeft, rcOverlap.nBottom, m.nRight, m.nBottom}, false, n);
        AddPiece(aPieces, {m.nLeft, rcOverlap.nTop, rcOverlap.nLeft, rcOverlap.nBottom}, false, n);
        AddPiece(aPieces, {rcOverlap.nRight, rcOverlap.nTop, m.nRight, rcOverlap.nBottom}, false, n);
    }
    return aPieces;
}

std::vector<int> KeptPieces(const std::vector<SMonitorPiece>& aBefore, const std::vector<SMonitorPiece>& aNow) {
    std::vector<int> aKept(aNow.size(), -1);
    std::vector<bool> abTaken(aBefore.size(), false);
    for (std::size_t i = 0; i < aNow.size(); ++i) {
        for (std::size_t j = 0; j < aBefore.size(); ++j) {
            if (abTaken[j] || !(aBefore[j].rc == aNow[i].rc) || aBefore[j].bScene != aNow[i].bScene) continue;
            abTaken[j] = true;
            aKept[i] = static_cast<int>(j);
            break;
        }
    }
    return aKept;
}
