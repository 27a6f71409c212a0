#include "renderer/win32/monitor_views.h"

#include <string>
#include <utility>

#include "renderer/glass_object.h"

namespace {

// Nothing looks for this class; the windows have no title at all.
const char kViewClass[] = "VantorelMonitorCover";
// Names one monitor (as "\\.\DISPLAY2") whose scene set-up fails, for the tests of the black fallback.
const char kRefuseSceneVariable[] = "VANTOREL_REFUSE_MONITOR_SCENE";

struct SMonitorList {
    std::vector<SScreenRect> aAll;
    std::vector<std::string> asDevices;
    SScreenRect rcPrimary;
};

BOOL CALLBACK AddMonitor(HMONITOR hMonitor, HDC, LPRECT, LPARAM lParam) {
    auto* pList = reinterpret_cast<SMonitorList*>(lParam);
    MONITORINFOEXA mi = {};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(hMonitor, &mi)) return TRUE;
    const SScreenRect rc = {mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom};
    pList->aAll.push_back(rc);
    pList->asDevices.emplace_back(mi.szDevice);
    if (mi.dwFlags & MONITORINFOF_PRIMARY) pList->rcPrimary = rc;
    return TRUE;
}

std::string RefusedDevice() {
    char szName[64] = {};
    const DWORD n = GetEnvironmentVariableA(kRefuseSceneVariable, szName, sizeof szName);
    return n > 0 && n < sizeof szName ? szName : "";
}

}  // namespace

void CMonitorViews::Open(HINSTANCE hInstance) {
    Close();
    WNDCLASSA wc = {};
    // Its own DC: a scene window keeps its pixel format and DC for the whole run.
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = MonitorViewProc;
    wc.hInstance = hInstance;
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kViewClass;
    // Without its class the run goes on with the primary alone: the scene there matters more.
    if (!RegisterClassA(&wc)) return;
    hClassInstance = hInstance;
    Follow();
}

void CMonitorViews::StartScenes(HDC hDC, HGLRC hRC) {
    if (!hClassInstance) return;
    hMainDC = hDC;
    hContext = hRC;
    for (SView& view : aViews) {
        if (view.bScene && !StartScene(view)) TurnBlack(view);
    }
    ReturnContext();
}

CMonitorViews::CWindow CMonitorViews::MakeWindow(const SScreenRect& rc) {
    HWND hWnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kViewClass, "",
                                WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rc.nLeft, rc.nTop, rc.Width(),
                                rc.Height(), nullptr, nullptr, hClassInstance, nullptr);
    if (hWnd) {
        ShowWindow(hWnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hWnd);
    }
    return CWindow(hWnd);
}

void CMonitorViews::Follow() {
    if (!hClassInstance) return;
    ReturnContext();
    SMonitorList list;
    // The primary sits at the origin; this holds should no monitor say it is the primary.
    list.rcPrimary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    const std::vector<SMonitorPiece> aPieces = MonitorLayout(list.aAll, list.rcPrimary);
    std::vector<SMonitorPiece> aBefore;
    for (const SView& view : aViews) aBefore.push_back(view.piece);
    const std::vector<int> aKept = KeptPieces(aBefore, aPieces);
    const std::string sRefused = RefusedDevice();
    std::vector<SView> aNow;
    for (std::size_t i = 0; i < aPieces.size(); ++i) {
        if (aKept[i] >= 0) {
            aNow.push_back(std::move(aViews[aKept[i]]));
            aNow.back().piece = aPieces[i];  // the same place; the monitor's number may have changed
            continue;
        }
        const SMonitorPiece& piece = aPieces[i];
        SView view;
        view.cWindow = MakeWindow(piece.rc);
        if (!view.cWindow) continue;
        view.piece = piece;
        view.bScene = piece.bScene;
        view.bRefused = !sRefused.empty() && sRefused == list.asDevices[piece.nMonitor];
        view.cScene = CSceneView(piece.rc.Width(), piece.rc.Height());
        aNow.push_back(std::move(view));
    }
    // The windows no piece kept go only now, with every new one up.
    aViews.swap(aNow);
    aNow.clear();
    if (!hContext) return;
    for (SView& view : aViews) {
        if (view.bScene && !view.hDC && !StartScene(view)) TurnBlack(view);
    }
    ReturnContext();
}

bool CMonitorViews::StartScene(SView& view) {
    view.hDC = GetDC(view.cWindow.get());
    if (!view.hDC) return false;
    // The main window's pixel format, so that its context can draw here too.
    const int nFormat = view.bRefused ? 0 : GetPixelFormat(hMainDC);
    PIXELFORMATDESCRIPTOR pfd = {};
    if (nFormat == 0 || !DescribePixelFormat(hMainDC, nFormat, sizeof pfd, &pfd)) return false;
    if (!SetPixelFormat(view.hDC, nFormat, &pfd)) return false;
    if (!wglMakeCurrent(view.hDC, hContext)) return false;
    // The interval belongs to the window, not the context: each one is told not to wait for its
    // monitor's vertical blank, as the primary is, or one turn of the loop could wait for several.
    SetSwapInterval(0);
    return true;
}

void CMonitorViews::TurnBlack(SView& view) {
    ReturnContext();
    // The cover comes before the scene window goes, so the monitor never shows the desktop between.
    CWindow cCover = MakeWindow(view.piece.rc);
    view.cWindow = std::move(cCover);
    view.hDC = nullptr;
    view.bScene = false;
}

void CMonitorViews::ReturnContext() {
    if (hContext && wglGetCurrentDC() != hMainDC) wglMakeCurrent(hMainDC, hContext);
}

void CMonitorViews::Draw(int nMainWidth, int nMainHeight) {
    bool bDrew = false;
    for (SView& view : aViews) {
        if (!view.bScene) continue;
        bDrew = true;
        if (!wglMakeCurrent(view.hDC, hContext)) {
            TurnBlack(view);
            continue;
        }
        view.cScene.Draw(nMainWidth, nMainHeight);
        if (!SwapBuffers(view.hDC)) TurnBlack(view);
    }
    if (bDrew) ReturnContext();
}

void CMonitorViews::Close() {
    ReturnContext();
    aViews.clear();
    hContext = nullptr;
    hMainDC = nullptr;
    if (hClassInstance) {
        UnregisterClassA(kViewClass, hClassInstance);
        hClassInstance = nullptr;
    }
}

LRESULT CALLBACK MonitorViewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_MOUSEACTIVATE:
        // A click on another monitor leaves the keyboard with the scene, so Escape still ends the run.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    default:
        break;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
