// Vantorel.dll: the fullscreen renderer. The front-end starts it without a command line and finds it
// by its title; `--time SECONDS` holds one moment still on every monitor (renderer/renderer_options.h).
#include <windows.h>

#include "renderer/renderer_options.h"
#include "renderer/scene.h"
#include "renderer/scene_view.h"
#include "renderer/stepped_scene_clock.h"
#include "renderer/win32/render_window.h"
#include "common/win32/startup_timing.h"
#include "renderer/win32/system_tick_count.h"

namespace {

// Returns once a message is queued or sent to this thread, also one that came before the call and
// was seen but not taken (a sent message is handled by the next PeekMessage; GetMessage and
// WaitMessage would handle it inside their wait and go on waiting).
// It also returns after an hour without one, for the clock: the system's count is widened wrap by wrap,
// so it must be read at least once in every 49.7 days, also through a display off for weeks.
void WaitForMessage(CTurnClock& cClock) {
    const DWORD kClockReadMs = 60u * 60u * 1000u;
    MsgWaitForMultipleObjectsEx(0, nullptr, kClockReadMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    cClock.Latch();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCommandLine, int) {
    startup_timing::Mark("renderer", "main");
    const SRendererOptions options = ParseRendererCommandLine(pszCommandLine);
    static CSystemTickCount cSystemClock;
    // Every monitor draws the moment read once at the start of the loop's turn.
    static CTurnClock cTurnClock(cSystemClock);
    static CSteppedSceneClock cPinnedClock;
    SetSceneClock(options.bPinned ? static_cast<ITickCount*>(&cPinnedClock) : &cTurnClock);

    if (!OpenRenderWindow("Nerlo_VC", 1024, 768, 32)) return 0;
    if (options.bPinned) {
        // The same steps vantorel-frames takes, so the moment is its picture exactly.
        cPinnedClock.Start();
        cPinnedClock.StepTo(options.nPinnedMs);
    }

    bool bFirstFrame = true;
    unsigned nFrames = 0;
    MSG msg = {};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // Minimised: keep polling, draw nothing; an Escape still held counts once the window is back.
        if (!bActive) {
            cKeyTable.SkipTurn();
            // The clock is read all the same, so none of its wraps goes uncounted.
            if (cDisplayPower.Draws()) cTurnClock.Latch(); else WaitForMessage(cTurnClock);
            continue;
        }
        if (cKeyTable.EscapeEndsRun()) break;
        // The display is off: no monitor shows anything, so nothing is drawn until a message comes
        // (keys, a close request, the display back on, when the frame of that moment is drawn at once).
        if (!cDisplayPower.Draws()) {
            WaitForMessage(cTurnClock);
            continue;
        }
        cTurnClock.Latch();
        DrawFrame();
        SwapBuffers(hRenderDC);
        RECT rcMain = {};
        GetClientRect(hRenderWnd, &rcMain);
        cMonitorViews.Draw(rcMain.right, rcMain.bottom);
        if (bFirstFrame) {
            bFirstFrame = false;
            startup_timing::Mark("renderer", "first-frame");
        }
        // The frame rate for scripts/measure-monitors.sh, one line per 256 frames.
        if (++nFrames % 256 == 0) startup_timing::Mark("renderer", "frames-256");
        // A held moment is the same picture every turn: draw it again when a message comes (or a
        // quarter second passes, for whatever covered a monitor meanwhile), not flat out.
        if (options.bPinned) MsgWaitForMultipleObjects(0, nullptr, FALSE, 250, QS_ALLINPUT);
    }
    CloseRenderWindow();
    return static_cast<int>(msg.wParam);
}
