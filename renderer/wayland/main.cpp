// vantorel-wayland: the scene as a screensaver on a Wayland desktop. One surface on the overlay layer
// of every output (or on the background layer with --background), each drawn at its output's size in
// physical pixels, all at the same moment of one clock, each paced by its own frame callbacks. Ends on
// a key, a button, a pointer that really moves, an ending signal, or when no surface is left.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "renderer/frame_pacing.h"
#include "renderer/offscreen/monotonic_clock.h"
#include "renderer/offscreen/picture_folder.h"
#include "renderer/render_state.h"
#include "renderer/saver_options.h"
#include "renderer/scene.h"
#include "renderer/scene_view.h"
#include "renderer/stepped_scene_clock.h"
#include "renderer/wake_rules.h"
#include "renderer/wayland/instance_lock.h"
#include "renderer/wayland/saver_display.h"

namespace {

std::string DisplayName(const SaverOptions& c) {
    if (!c.sDisplay.empty()) return c.sDisplay;
    const char* psz = std::getenv("WAYLAND_DISPLAY");
    // libwayland's own default when the variable is unset.
    return psz && *psz ? psz : "wayland-0";
}

}  // namespace

int main(int argc, char** argv) {
    const SaverCommandLine cLine = ParseSaverCommandLine(argc, argv, SaverShell::Wayland);
    if (cLine.eCommand == SaverCommand::Help) {
        std::fputs(SaverUsage(SaverShell::Wayland), stdout);
        return 0;
    }
    if (cLine.eCommand == SaverCommand::Error) {
        std::fprintf(stderr, "vantorel-wayland: %s\n%s", cLine.sError.c_str(), SaverUsage(SaverShell::Wayland));
        return 2;
    }
    const SaverOptions& cOptions = cLine.cOptions;

    std::string sError;
    CInstanceLock cLock;
    switch (cLock.Take(DisplayName(cOptions), cOptions.bBackground ? "background" : "saver", sError)) {
    case CInstanceLock::Result::Taken:
        break;
    case CInstanceLock::Result::HeldByAnother:
        // The idle daemon started us again while the saver still runs: that one goes on.
        return 0;
    case CInstanceLock::Result::Failed:
        std::fprintf(stderr, "vantorel-wayland: %s\n", sError.c_str());
        return 1;
    }

    // The ending signals arrive as a readable descriptor beside the compositor's, so one that comes
    // while a frame is drawn is taken at the next wait, never lost.
    sigset_t ssEnding;
    sigemptyset(&ssEnding);
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ssEnding, nSignal);
    sigprocmask(SIG_BLOCK, &ssEnding, nullptr);
    const int nSignalFd = signalfd(-1, &ssEnding, SFD_CLOEXEC | SFD_NONBLOCK);
    if (nSignalFd < 0) {
        std::perror("vantorel-wayland: signalfd");
        return 1;
    }

    CPictureFolder cPictures;
    if (!cPictures.Create(sError)) {
        std::fprintf(stderr, "vantorel-wayland: %s\n", sError.c_str());
        return 1;
    }
    SetSceneTextureFolder(cPictures.Path());
    // One texture a layer, scrolled by the texture matrix: the same pictures as 512 precomputed frames.
    SetSceneLayerForm(LayerForm::Shifted);

    CWakeRules cRules(!cOptions.bBackground);
    CSaverDisplay cDisplay(cOptions, cRules);
    if (!cDisplay.Open(sError)) {
        std::fprintf(stderr, "vantorel-wayland: %s\n", sError.c_str());
        return 1;
    }
    if (cDisplay.UsesWindows())
        std::fprintf(stderr, "vantorel-wayland: this desktop offers no screensaver surface (no layer-shell); "
                             "showing a fullscreen window on each output\n");

    CMonotonicTickCount cMonotonic;
    // Outputs whose frames come in the same turn show one moment: the clock is read once a turn.
    // They share the scene's state too (the morph amount), so an output that comes late carries on
    // where the run is.
    CTurnClock cLiveClock(cMonotonic);
    CSteppedSceneClock cPinnedClock;
    SetSceneClock(cOptions.bPinned ? static_cast<ITickCount*>(&cPinnedClock) : &cLiveClock);
    bool bSceneReady = false;
    int nExit = 0;

    while (!cRules.Ended()) {
        // Draw every output whose frame has come (and whose -delay has passed), at one moment.
        const uint64_t nNow = MonotonicMicroseconds();
        uint64_t nWaitUs = UINT64_MAX;
        cLiveClock.Latch();
        for (COutputView* pView : cDisplay.DueViews()) {
            // Not yet: -delay, or a lost picture's short wait; the wait below wakes for it.
            if (pView->Pacer().WaitBeforeNext(nNow) || pView->RetryWaitUs(nNow)) continue;
            if (!cDisplay.MakeCurrent(*pView)) continue;
            if (!bSceneReady) {
                // One context draws every output: the pictures are loaded once, with the first surface.
                ResizeViewport(pView->BufferWidth(), pView->BufferHeight());
                if (!InitRenderState()) {
                    std::fprintf(stderr, "vantorel-wayland: the scene did not start\n");
                    nExit = 1;
                    break;
                }
                if (cOptions.bPinned) {
                    cPinnedClock.Start();
                    cPinnedClock.StepTo(cOptions.nPinnedMs);
                } else {
                    cLiveClock.Latch();
                }
                bSceneReady = true;
            }
            pView->Pacer().FrameStarted(nNow);
            ResizeViewport(pView->BufferWidth(), pView->BufferHeight());
            DrawFrame();
            cDisplay.Present(*pView);
            double fRate = 0.0;
            if (cOptions.bFps && pView->Meter().FrameShown(MonotonicMicroseconds(), fRate))
                std::fprintf(stderr, "vantorel-wayland: %s: %.1f frames/s\n", cDisplay.ViewName(*pView).c_str(), fRate);
        }
        if (nExit != 0) break;
        // Wake for the next output due (its -delay passed, or a lost picture's short wait over) and for
        // a keyboard that left the saver once its grace runs out.
        const uint64_t nAfter = MonotonicMicroseconds();
        for (COutputView* pView : cDisplay.DueViews())
            nWaitUs = std::min(nWaitUs, std::max(pView->Pacer().WaitBeforeNext(nAfter), pView->RetryWaitUs(nAfter)));
        if (const uint64_t nCheckUs = cRules.NextCheckUs(); nCheckUs != UINT64_MAX)
            nWaitUs = std::min(nWaitUs, nCheckUs > nAfter ? nCheckUs - nAfter : 0);
        const int nTimeoutMs = nWaitUs == UINT64_MAX ? -1 : static_cast<int>((nWaitUs + 999) / 1000);
        bool bSignal = false;
        if (!cDisplay.Wait(nTimeoutMs, nSignalFd, bSignal)) {
            std::fprintf(stderr, "vantorel-wayland: the Wayland display went away\n");
            nExit = 1;
            break;
        }
        if (bSignal) {
            signalfd_siginfo si;
            while (read(nSignalFd, &si, sizeof si) == static_cast<ssize_t>(sizeof si)) {}
            cRules.OnSignal();
        }
        cRules.OnTime(MonotonicMicroseconds());
    }
    if (cRules.Reason() == WakeReason::NoSurface && !bSceneReady)
        std::fprintf(stderr, "vantorel-wayland: no output to show the scene on\n");
    SetSceneClock(nullptr);
    close(nSignalFd);
    return nExit;
}
