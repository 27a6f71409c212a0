// Black windows over every monitor but the primary for as long as the scene runs: no title, no
// taskbar button, no cursor, never active. They belong to the renderer's thread, so they go with it.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

class CMonitorCovers {
public:
    CMonitorCovers() = default;
    ~CMonitorCovers() { Close(); }
    CMonitorCovers(const CMonitorCovers&) = delete;
    CMonitorCovers& operator=(const CMonitorCovers&) = delete;

    // Covers the monitors as the system reports them now: call it once the display mode is set.
    void Open(HINSTANCE hInstance);
    // Monitors came, went or changed: covers for the new layout. Nothing once closed (or never opened).
    void Follow();
    // Destroys the covers and unregisters their class.
    void Close();

private:
    struct SDestroyWindow {
        void operator()(HWND hWnd) const { DestroyWindow(hWnd); }
    };
    using CWindow = std::unique_ptr<std::remove_pointer_t<HWND>, SDestroyWindow>;

    HINSTANCE hClassInstance = nullptr;
    std::vector<CWindow> aWindows;
};

LRESULT CALLBACK CoverWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
