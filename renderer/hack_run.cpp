#include "renderer/hack_run.h"

CHackRun::CHackRun(bool bOwnWindow, int nWidth, int nHeight)
    : bOwnWindow(bOwnWindow), nWidth(nWidth), nHeight(nHeight) {}

void CHackRun::EndWith(HackEnd e) {
    // The first reason stands: a window destroyed after a signal still ended by the signal.
    if (eEnd == HackEnd::None) eEnd = e;
}

void CHackRun::OnKey(HackKey eKey) {
    if (bOwnWindow && (eKey == HackKey::Escape || eKey == HackKey::Q)) EndWith(HackEnd::Key);
}

void CHackRun::OnCloseRequest() {
    if (bOwnWindow) EndWith(HackEnd::Closed);
}

void CHackRun::OnWindowDestroyed() { EndWith(HackEnd::WindowGone); }

void CHackRun::OnSignal() { EndWith(HackEnd::Signal); }

void CHackRun::OnSize(int nNewWidth, int nNewHeight) {
    if (nNewWidth < 1 || nNewHeight < 1) return;
    if (nNewWidth == nWidth && nNewHeight == nHeight) return;
    nWidth = nNewWidth;
    nHeight = nNewHeight;
    bSizePending = true;
}

bool CHackRun::TakeNewSize(int& nOutWidth, int& nOutHeight) {
    if (!bSizePending) return false;
    bSizePending = false;
    nOutWidth = nWidth;
    nOutHeight = nHeight;
    return true;
}

bool MonitorShowsPicture(const DisplayPowerReport& cReport) {
    if (!cReport.bCapable || !cReport.bEnabled) return true;
    return cReport.eLevel == MonitorPower::On || cReport.eLevel == MonitorPower::Unknown;
}

bool CHackSchedule::FrameDue(uint64_t nNowUs, bool bSizeChanged) {
    bResumed = false;
    // The first turn is due at once: the next check starts at 0.
    if (nNowUs >= nNextCheckUs) {
        const bool bWasDark = bDark;
        bDark = !MonitorShowsPicture(cPower.QueryPower());
        nNextCheckUs = nNowUs + kPowerCheckUs;
        bResumed = bWasDark && !bDark;
    }
    // A new size waits for the monitor too: it is taken with the first frame drawn.
    if (bDark) return false;
    if (bResumed) cPacer.Restart();
    else if (!bSizeChanged && cPacer.WaitBeforeNext(nNowUs) > 0) return false;
    cPacer.FrameStarted(nNowUs);
    return true;
}

uint64_t CHackSchedule::WaitUs(uint64_t nNowUs) const {
    if (!bDark) return cPacer.WaitBeforeNext(nNowUs);
    return nNowUs < nNextCheckUs ? nNextCheckUs - nNowUs : 0;
}

std::vector<std::string> PictureFolderBases(const char* pszXdgRuntimeDir, const char* pszTmpDir) {
    std::vector<std::string> a;
    for (const char* psz : {pszXdgRuntimeDir, pszTmpDir}) {
        if (psz != nullptr && psz[0] == '/') a.emplace_back(psz);
    }
    a.emplace_back("/tmp");
    return a;
}
