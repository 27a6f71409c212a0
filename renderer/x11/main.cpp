// vantorel: the scene as an xscreensaver hack. Draws on xscreensaver's window (-root), on any window
// (-window-id) or in a window of its own (-window), at the window's own size, until a signal, a key in
// its own window, or the window's end. Silent: the music belongs to the Windows front-end.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "renderer/saver_options.h"
#include "renderer/frame_pacing.h"
#include "renderer/hack_run.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/stepped_scene_clock.h"
#include "renderer/x11/hack_window.h"
#include "renderer/offscreen/monotonic_clock.h"
#include "renderer/offscreen/picture_folder.h"

namespace {

volatile std::sig_atomic_t bSignalled = 0;
CPictureFolder* pPictures = nullptr;

void OnSignal(int) { bSignalled = 1; }

void RemovePicturesOnLostDisplay() {
    if (pPictures) pPictures->Remove();
}

}  // namespace

int main(int argc, char** argv) {
    const SaverCommandLine cLine = ParseSaverCommandLine(argc, argv);
    if (cLine.eCommand == SaverCommand::Help) {
        std::fputs(SaverUsage(SaverShell::X11), stdout);
        return 0;
    }
    if (cLine.eCommand == SaverCommand::Error) {
        std::fprintf(stderr, "vantorel: %s\n%s", cLine.sError.c_str(), SaverUsage(SaverShell::X11));
        return 2;
    }
    const SaverOptions& cOptions = cLine.cOptions;

    // The ending signals are held back except while the loop waits: one that comes in the middle of a
    // frame is taken at the next wait, never lost between a check and a sleep.
    sigset_t ssEnding, ssWaiting;
    sigemptyset(&ssEnding);
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ssEnding, nSignal);
    sigprocmask(SIG_BLOCK, &ssEnding, &ssWaiting);
    sigdelset(&ssWaiting, SIGTERM);
    sigdelset(&ssWaiting, SIGINT);
    sigdelset(&ssWaiting, SIGHUP);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int nSignal : {SIGTERM, SIGINT, SIGHUP}) sigaction(nSignal, &sa, nullptr);

    CPictureFolder cPictures;
    std::string sError;
    if (!cPictures.Create(sError)) {
        std::fprintf(stderr, "vantorel: %s\n", sError.c_str());
        return 1;
    }
    pPictures = &cPictures;
    CHackWindow::SetConnectionLostHandler(RemovePicturesOnLostDisplay);
    SetSceneTextureFolder(cPictures.Path());
    // One texture a layer, scrolled by the texture matrix: the same pictures as 512 precomputed frames.
    SetSceneLayerForm(LayerForm::Shifted);

    CHackWindow cWindow;
    if (!cWindow.Open(cOptions, sError)) {
        std::fprintf(stderr, "vantorel: %s\n", sError.c_str());
        return 1;
    }
    // A pinned moment is drawn through the stepped clock, exactly as the frame renderer draws it.
    CMonotonicTickCount cLiveClock;
    CSteppedSceneClock cPinnedClock;
    SetSceneClock(cOptions.bPinned ? static_cast<ITickCount*>(&cPinnedClock) : &cLiveClock);
    ResizeViewport(cWindow.Width(), cWindow.Height());
    if (!InitRenderState()) {
        std::fprintf(stderr, "vantorel: the scene did not start\n");
        return 1;
    }
    if (cOptions.bPinned) {
        cPinnedClock.Start();
        cPinnedClock.StepTo(cOptions.nPinnedMs);
    }

    // The frame rate goes on the picture, as in every xscreensaver hack, when the server has a font.
    const bool bFpsOnPicture = cOptions.bFps && cWindow.PrepareFrameRateText();
    std::string sFps;

    CHackRun cRun(cWindow.IsOwnWindow(), cWindow.Width(), cWindow.Height());
    // A still needs no frame rate: it is drawn again once a second, or at the delay if that is longer
    // (and at once after a resize), which keeps a window that was covered right without spending a
    // core on the same picture. Nothing is drawn while the server has the monitor powered down.
    CHackSchedule cSchedule(cOptions.bPinned ? std::max(1000000L, cOptions.nDelayUs) : cOptions.nDelayUs, cWindow);
    CFrameRateMeter cMeter;
    for (;;) {
        cWindow.Wait(cSchedule.WaitUs(MonotonicMicroseconds()), &ssWaiting);
        cWindow.PumpEvents(cRun);
        if (bSignalled) cRun.OnSignal();
        if (cRun.Ended()) break;
        if (!cSchedule.FrameDue(MonotonicMicroseconds(), cRun.SizeChanged())) continue;
        // The rate counts from the first frame after a dark stretch, not across it.
        if (cSchedule.Resumed()) cMeter = CFrameRateMeter();
        int nWidth = 0, nHeight = 0;
        if (cRun.TakeNewSize(nWidth, nHeight)) ResizeViewport(nWidth, nHeight);
        DrawFrame();
        if (bFpsOnPicture) cWindow.DrawFrameRateText(sFps);
        cWindow.Present();
        double fRate = 0.0;
        if (cOptions.bFps && cMeter.FrameShown(MonotonicMicroseconds(), fRate)) {
            char szRate[32];
            std::snprintf(szRate, sizeof szRate, "%.1f frames/s", fRate);
            sFps = szRate;
            // Also on standard error: the picture's text cannot be read by a script or in a log.
            std::fprintf(stderr, "vantorel: %s\n", szRate);
        }
    }
    cWindow.Close();
    SetSceneClock(nullptr);
    pPictures = nullptr;
    return 0;
}
