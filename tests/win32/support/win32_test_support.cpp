#include "support/win32_test_support.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace vtest {

namespace {

std::wstring Join(const std::wstring& sFolder, const std::wstring& sName) { return sFolder + L"\\" + sName; }

void RemoveTree(const std::wstring& sFolder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Join(sFolder, L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring sName = fd.cFileName;
            if (sName == L"." || sName == L"..") continue;
            const std::wstring sPath = Join(sFolder, sName);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(sPath);
            } else {
                SetFileAttributesW(sPath.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(sPath.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(sFolder.c_str());
}

}  // namespace

std::wstring Widen(const char* pszUtf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, pszUtf8, -1, nullptr, 0);
    std::wstring s(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, pszUtf8, -1, &s[0], n);
    return s;
}

std::wstring BuildBinDir() { return Widen(VANTOREL_BIN_DIR_DOS); }

std::wstring MakeProgramFolder(const std::wstring& sName, const std::vector<std::wstring>& aFiles) {
    const std::wstring sRoot = L"C:\\vantorel-tests";
    CreateDirectoryW(sRoot.c_str(), nullptr);
    const std::wstring sFolder = Join(sRoot, sName);
    RemoveTree(sFolder);
    CreateDirectoryW(sFolder.c_str(), nullptr);
    for (const std::wstring& sFile : aFiles) {
        const std::wstring sFrom = Join(BuildBinDir(), sFile);
        EXPECT_TRUE(CopyFileW(sFrom.c_str(), Join(sFolder, sFile).c_str(), FALSE))
            << "cannot copy " << std::string(sFrom.begin(), sFrom.end());
    }
    return sFolder;
}

bool FileExistsW(const std::wstring& sPath) {
    const DWORD dw = GetFileAttributesW(sPath.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && !(dw & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFileIfPresent(const std::wstring& sPath) {
    if (FileExistsW(sPath)) {
        SetFileAttributesW(sPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(sPath.c_str());
    }
    return !FileExistsW(sPath);
}

std::vector<unsigned char> ReadWholeFile(const std::wstring& sPath) {
    std::vector<unsigned char> a;
    HANDLE h = CreateFileW(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return a;
    unsigned char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) a.insert(a.end(), buf, buf + n);
    CloseHandle(h);
    return a;
}

CProcess::~CProcess() {
    Kill();
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
}

bool CProcess::Start(const std::wstring& sProgram, const std::wstring& sArguments, const std::wstring& sFolder) {
    std::wstring sCommand = L"\"" + sProgram + L"\"";
    if (!sArguments.empty()) sCommand += L" " + sArguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    return CreateProcessW(sProgram.c_str(), &sCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                          sFolder.empty() ? nullptr : sFolder.c_str(), &si, &info) != FALSE;
}

bool CProcess::WaitForExit(DWORD nTimeoutMs) {
    return info.hProcess && WaitForSingleObject(info.hProcess, nTimeoutMs) == WAIT_OBJECT_0;
}

bool CProcess::IsRunning() const { return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

DWORD CProcess::ExitCode() const {
    DWORD dw = STILL_ACTIVE;
    if (info.hProcess) GetExitCodeProcess(info.hProcess, &dw);
    return dw;
}

void CProcess::Kill() {
    if (IsRunning()) {
        TerminateProcess(info.hProcess, 255);
        WaitForSingleObject(info.hProcess, 5000);
    }
}

bool WaitUntil(const std::function<bool()>& fnCondition, DWORD nTimeoutMs) {
    const DWORD dwStart = GetTickCount();
    for (;;) {
        if (fnCondition()) return true;
        if (GetTickCount() - dwStart >= nTimeoutMs) return fnCondition();
        // Keep this thread's own queue moving: SendInput and message boxes need no stalls from us.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
}

POINT ClientPoint(HWND hWnd, int x, int y) {
    POINT pt{x, y};
    ClientToScreen(hWnd, &pt);
    return pt;
}

COLORREF ScreenPixel(POINT pt) {
    HDC hdc = GetDC(nullptr);
    const COLORREF c = GetPixel(hdc, pt.x, pt.y);
    ReleaseDC(nullptr, hdc);
    return c;
}

BITMAPINFO TopDown32(int nWidth, int nHeight) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

std::vector<std::uint32_t> PixelsOf(HWND hWnd, int nWidth, int nHeight) {
    BITMAPINFO info = TopDown32(nWidth, nHeight);
    void* pBits = nullptr;
    HDC hWindow = GetDC(hWnd);
    HBITMAP hBitmap = CreateDIBSection(hWindow, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hMemory = CreateCompatibleDC(hWindow);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    BitBlt(hMemory, 0, 0, nWidth, nHeight, hWindow, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(pBits);
    std::vector<std::uint32_t> a(p, p + static_cast<std::size_t>(nWidth) * nHeight);
    SelectObject(hMemory, hOld);
    DeleteDC(hMemory);
    DeleteObject(hBitmap);
    ReleaseDC(hWnd, hWindow);
    for (auto& n : a) n &= 0xFFFFFF;
    return a;
}

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

bool SendPowerSetting(HWND hWnd, const GUID& setting, DWORD nValue) {
    HANDLE hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, WindowProcessId(hWnd));
    if (!hProcess) return false;
    // The record as Windows hands it over: the GUID, the data length, one DWORD of data.
    unsigned char aRecord[offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD)];
    const DWORD nLength = sizeof(DWORD);
    std::memcpy(aRecord, &setting, sizeof setting);
    std::memcpy(aRecord + offsetof(POWERBROADCAST_SETTING, DataLength), &nLength, sizeof nLength);
    std::memcpy(aRecord + offsetof(POWERBROADCAST_SETTING, Data), &nValue, sizeof nValue);
    void* pRemote = VirtualAllocEx(hProcess, nullptr, sizeof aRecord, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool bHandled = false;
    if (pRemote && WriteProcessMemory(hProcess, pRemote, aRecord, sizeof aRecord, nullptr)) {
        DWORD_PTR nResult = 0;
        bHandled = SendMessageTimeoutW(hWnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                                       reinterpret_cast<LPARAM>(pRemote), SMTO_NORMAL, kPromptMs, &nResult) != 0;
    }
    // A message that timed out may still be handled later: its record stays where it is.
    if (pRemote && bHandled) VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    CloseHandle(hProcess);
    return bHandled;
}

namespace {

// A person's input would reach the window now: shown, enabled, in the foreground, its thread back in
// its message loop and nothing of it left to paint.
bool ReadyForInput(HWND hWnd) {
    if (!IsWindow(hWnd) || !IsWindowVisible(hWnd) || !IsWindowEnabled(hWnd)) return false;
    if (GetForegroundWindow() != hWnd) return false;
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &nResult)) return false;
    return !GetUpdateRect(hWnd, nullptr, FALSE);
}

// Moves the pointer to client point (x, y) of the settings dialog until the pixel at (nProbeX,
// nProbeY) shows c. A move can be lost: one that shows nothing within a second is made again, a
// pixel aside. Moves made at every poll would queue up and could land after the test's next move.
// pLast receives where the last move went.
bool PointerMakesShow(HWND hDialog, int x, int y, int nProbeX, int nProbeY, COLORREF c, DWORD nTimeoutMs,
                      POINT* pLast) {
    int nPoll = 0;
    return WaitUntil(
        [&] {
            if (nPoll++ % 50 == 0) {
                *pLast = ClientPoint(hDialog, x + (nPoll / 50) % 2, y);
                MoveMouse(pLast->x, pLast->y);
            }
            return ScreenPixel(ClientPoint(hDialog, nProbeX, nProbeY)) == c;
        },
        nTimeoutMs);
}

// The third frame row of a command button, at its top edge: #F3F3EE normal, #FFF0CF under the pointer.
constexpr COLORREF kButtonRow2Normal = RGB(0xF3, 0xF3, 0xEE), kButtonRow2HighLight = RGB(0xFF, 0xF0, 0xCF);

}  // namespace

bool WaitUntilSettingsDialogTakesThePointer(HWND hDialog, DWORD nTimeoutMs) {
    if (!WaitUntil([hDialog] { return ReadyForInput(hDialog); }, nTimeoutMs)) return false;
    // The cancel button (404, 200; 77 x 25) lights up under the pointer and goes back when it leaves.
    POINT last{};
    if (!PointerMakesShow(hDialog, 404 + 38, 200 + 12, 404 + 38, 200 + 2, kButtonRow2HighLight, nTimeoutMs, &last) ||
        !PointerMakesShow(hDialog, 250, 120, 404 + 38, 200 + 2, kButtonRow2Normal, nTimeoutMs, &last))
        return false;
    // The pointer rests where the last move put it: no move of this handshake is still on its way.
    return WaitUntil(
        [&] {
            POINT pt{};
            GetCursorPos(&pt);
            return pt.x == last.x && pt.y == last.y;
        },
        nTimeoutMs);
}

bool ClickSettingsDialogButton(HWND hDialog, int nLeft, int nTop, DWORD nTimeoutMs) {
    POINT last{};
    if (!PointerMakesShow(hDialog, nLeft + 20, nTop + 12, nLeft + 20, nTop + 2, kButtonRow2HighLight, nTimeoutMs, &last))
        return false;
    ClickMouse(last.x, last.y);
    return true;
}

HWND FindTopLevel(const char* pszTitle) { return FindWindowA(nullptr, pszTitle); }

DWORD WindowProcessId(HWND hWnd) {
    DWORD dw = 0;
    GetWindowThreadProcessId(hWnd, &dw);
    return dw;
}

std::vector<HWND> TopLevelWindowsOf(DWORD nProcessId) {
    struct Search {
        DWORD nPid;
        std::vector<HWND> a;
    } search{nProcessId, {}};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* p = reinterpret_cast<Search*>(l);
            if (WindowProcessId(h) == p->nPid) p->a.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.a;
}

DEVMODEA CurrentDisplayMode() {
    DEVMODEA dm = {};
    dm.dmSize = sizeof dm;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm);
    return dm;
}

void PressKey(WORD nVirtualKey, DWORD nHoldMs) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = nVirtualKey;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC));
    SendInput(1, &in, sizeof in);
    Sleep(nHoldMs);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
}

void TapKey(WORD nVirtualKey) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = nVirtualKey;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC));
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

void MoveMouse(int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    const int nLeft = GetSystemMetrics(SM_XVIRTUALSCREEN), nTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    in.mi.dx = (x - nLeft) * 65535 / (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
    in.mi.dy = (y - nTop) * 65535 / (GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &in, sizeof in);
}

void ClickMouse(int x, int y) {
    MoveMouse(x, y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof in[0]);
    Sleep(60);
    SendInput(1, &in[1], sizeof in[1]);
}

std::vector<RECT> MonitorRects(RECT* pPrimary) {
    struct Search {
        std::vector<RECT> a;
        RECT rcPrimary;
    } search{{}, {}};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR hMonitor, HDC, LPRECT, LPARAM l) -> BOOL {
            auto* p = reinterpret_cast<Search*>(l);
            MONITORINFO mi = {};
            mi.cbSize = sizeof mi;
            if (GetMonitorInfoW(hMonitor, &mi)) {
                p->a.push_back(mi.rcMonitor);
                if (mi.dwFlags & MONITORINFOF_PRIMARY) p->rcPrimary = mi.rcMonitor;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (pPrimary) *pPrimary = search.rcPrimary;
    return search.a;
}

HWND FindMessageBox(DWORD nProcessId, const wchar_t* pszCaption) {
    for (HWND h : TopLevelWindowsOf(nProcessId)) {
        wchar_t szClass[64] = {};
        GetClassNameW(h, szClass, 64);
        if (std::wstring(szClass) != L"#32770") continue;
        wchar_t szTitle[256] = {};
        GetWindowTextW(h, szTitle, 256);
        if (std::wstring(szTitle) == pszCaption) return h;
    }
    return nullptr;
}

std::wstring MessageBoxText(HWND hBox) {
    // The message text is the static control with id 0xFFFF.
    wchar_t szText[1024] = {};
    GetDlgItemTextW(hBox, 0xFFFF, szText, 1024);
    return szText;
}

void DismissMessageBox(HWND hBox) { PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

}  // namespace vtest
