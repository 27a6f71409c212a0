#include "support/stand_in_renderer.h"

#include <windows.h>

#include <cstdio>

#include "support/win32_test_support.h"

namespace vtest {

namespace {

std::wstring FolderOfPath(const std::wstring& sPath) { return sPath.substr(0, sPath.find_last_of(L'\\')); }

LRESULT CALLBACK StandInProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

}  // namespace

std::wstring OwnPath() {
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return szPath;
}

bool RunningAsStandInRenderer() {
    const std::wstring sPath = OwnPath();
    return sPath.size() >= 13 && _wcsicmp(sPath.c_str() + sPath.size() - 13, L"\\Vantorel.dll") == 0;
}

void RunStandInRenderer() {
    int nDelayMs = 0, nWindowMs = -1;
    if (FILE* pFile = _wfopen((FolderOfPath(OwnPath()) + L"\\stand_in.txt").c_str(), L"r")) {
        if (fscanf(pFile, "%d %d", &nDelayMs, &nWindowMs) != 2) nWindowMs = -1;
        fclose(pFile);
    }
    Sleep(static_cast<DWORD>(nDelayMs));
    if (nWindowMs < 0) return;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StandInRenderer";
    RegisterClassW(&windowClass);
    HWND hWnd = CreateWindowExW(0, L"StandInRenderer", L"Nerlo_VC", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    SetTimer(hWnd, 1, static_cast<UINT>(nWindowMs), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) DestroyWindow(hWnd);
        DispatchMessageW(&message);
    }
}

bool RunAsStandInRendererIfNamedSo() {
    if (!RunningAsStandInRenderer()) return false;
    RunStandInRenderer();
    ExitProcess(0);
}

std::wstring MakeStandInFolder(const std::wstring& sName, int nDelayMs, int nWindowMs) {
    const std::wstring sFolder = MakeProgramFolder(sName, {L"Vantorel.scr"});
    CopyFileW(OwnPath().c_str(), (sFolder + L"\\Vantorel.dll").c_str(), FALSE);
    if (FILE* pFile = _wfopen((sFolder + L"\\stand_in.txt").c_str(), L"w")) {
        std::fprintf(pFile, "%d %d", nDelayMs, nWindowMs);
        fclose(pFile);
    }
    return sFolder;
}

}  // namespace vtest
