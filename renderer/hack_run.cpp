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

void CFramePacer::FrameStarted(uint64_t nNowUs) {
    const uint64_t nDelay = static_cast<uint64_t>(nDelayUs > 0 ? nDelayUs : 0);
    if (!bStarted || nNowUs >= nNextUs + nDelay) nNextUs = nNowUs + nDelay;  // first, or late: restart
    else nNextUs += nDelay;
    bStarted = true;
}

uint64_t CFramePacer::WaitBeforeNext(uint64_t nNowUs) const {
    if (!bStarted || nNowUs >= nNextUs) return 0;
    return nNextUs - nNowUs;
}

bool CFrameRateMeter::FrameShown(uint64_t nNowUs, double& fRate) {
    if (!bStarted) {
        bStarted = true;
        nSinceUs = nNowUs;
        nFrames = 0;
        return false;
    }
    ++nFrames;
    const uint64_t nSpan = nNowUs - nSinceUs;
    if (nSpan < 1000000) return false;
    fRate = static_cast<double>(nFrames) * 1e6 / static_cast<double>(nSpan);
    nSinceUs = nNowUs;
    nFrames = 0;
    return true;
}

std::vector<std::string> PictureFolderBases(const char* pszXdgRuntimeDir, const char* pszTmpDir) {
    std::vector<std::string> a;
    for (const char* psz : {pszXdgRuntimeDir, pszTmpDir}) {
        if (psz != nullptr && psz[0] == '/') a.emplace_back(psz);
    }
    a.emplace_back("/tmp");
    return a;
}
