// Frame pacing shared by the Linux savers (the X11 hack and the Wayland shell): the -delay between
// frame starts and the -fps meter.
#pragma once
#include <cstdint>

// Paces frames at one every nDelayUs microseconds, counted from the start of a frame, so that the
// frame rate does not sink by the time spent drawing. A frame late by more than one period does not
// make the following ones hurry: the schedule restarts from it. Times are microseconds of a monotonic clock.
class CFramePacer {
public:
    explicit CFramePacer(long nDelayUs) : nDelayUs(nDelayUs) {}
    void FrameStarted(uint64_t nNowUs);
    // Microseconds still to wait before the next frame may start; 0 when it may start now.
    uint64_t WaitBeforeNext(uint64_t nNowUs) const;
    // The next frame may start at once, and the schedule is counted from it.
    void Restart() { bStarted = false; }

private:
    long nDelayUs;
    bool bStarted = false;
    uint64_t nNextUs = 0;
};

// Counts frames and says, at most once a second, how many came per second.
class CFrameRateMeter {
public:
    // Records a frame shown at nNowUs; returns true (with the rate in fRate) when a second or more
    // has passed since the last report.
    bool FrameShown(uint64_t nNowUs, double& fRate);

private:
    bool bStarted = false;
    uint64_t nSinceUs = 0;
    int nFrames = 0;
};
