#include "renderer/win32/monitor_covers.h"

#include "renderer/cover_layout.h"

namespace {

// Nothing looks for this class; the covers have no title at all.
const char kCoverClass[] = "VantorelMonitorCover";

struct SMonitorList {
    std::vector<SScreenRect> aAll;
    SScreenRect rcPrimary;
};

BOOL CALLBACK AddMonitor(HMONITOR hMonitor, HDC, LPRECT, LPARAM lParam) {
    auto* pList = reinterpret_cast<SMonitorList*>(lParam);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(hMonitor, &mi)) return TRUE;
    const SScreenRect rc = {mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom};
    pList->aAll.push_back(rc);
    if (mi.dwFlags & MONITORINFOF_PRIMARY) pList->rcPrimary = rc;
    return TRUE;
}

}  // namespace

void CMonitorCovers::Open(HINSTANCE hInstance) {
    Close();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CoverWindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kCoverClass;
    // Without its class the run goes on uncovered: the scene on the primary matters more.
    if (!RegisterClassA(&wc)) return;
    hClassInstance = hInstance;
    Follow();
}

void CMonitorCovers::Follow() {
    if (!hClassInstance) return;
    aWindows.clear();
    SMonitorList list;
    // The primary sits at the origin; this holds should no monitor say it is the primary.
    list.rcPrimary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    for (const SScreenRect& rc : CoverLayout(list.aAll, list.rcPrimary)) {
        HWND hWnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass, "", WS_POPUP,
                                    rc.nLeft, rc.nTop, rc.nRight - rc.nLeft, rc.nBottom - rc.nTop, nullptr, nullptr,
                                    hClassInstance, nullptr);
        if (!hWnd) continue;
        aWindows.emplace_back(hWnd);
        ShowWindow(hWnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hWnd);
    }
}

void CMonitorCovers::Close() {
    aWindows.clear();
    if (hClassInstance) {
        UnregisterClassA(kCoverClass, hClassInstance);
        hClassInstance = nullptr;
    }
}

LRESULT CALLBACK CoverWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_MOUSEACTIVATE:
        // A click on a cover leaves the keyboard with the scene, so Escape still ends the run.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    default:
        break;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
