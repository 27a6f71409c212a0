// Vantorel.dll: the fullscreen renderer. Takes no command line; the front-end finds it by its title.
#include <windows.h>

#include "renderer/scene.h"
#include "renderer/win32/render_window.h"
#include "common/win32/startup_timing.h"
#include "renderer/win32/system_tick_count.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    startup_timing::Mark("renderer", "main");
    static CSystemTickCount cClock;
    SetSceneClock(&cClock);

    if (!OpenRenderWindow("Nerlo_VC", 1024, 768, 32)) return 0;

    bool bFirstFrame = true;
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
            continue;
        }
        if (cKeyTable.EscapeEndsRun()) break;
        DrawFrame();
        SwapBuffers(hRenderDC);
        if (bFirstFrame) {
            bFirstFrame = false;
            startup_timing::Mark("renderer", "first-frame");
        }
    }
    CloseRenderWindow();
    return static_cast<int>(msg.wParam);
}
