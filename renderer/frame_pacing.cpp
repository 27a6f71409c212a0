#include "renderer/frame_pacing.h"

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
