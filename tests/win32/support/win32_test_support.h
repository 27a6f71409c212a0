// Helpers for the Win32 tests that drive the real programs under Wine: program folders, processes,
// windows, keys and message boxes. Everything waits by polling with a deadline, never by fixed sleeps
// alone, so a slow machine makes a test slower, not flaky.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vtest {

// The folder holding the freshly built Vantorel.scr and Vantorel.dll (a Wine drive Z: path).
std::wstring BuildBinDir();

// A new, empty program folder C:\vantorel-tests\<name>, with the listed files of the build copied in
// (for example {L"Vantorel.scr", L"Vantorel.dll"}). Returns the folder without a trailing backslash.
std::wstring MakeProgramFolder(const std::wstring& sName, const std::vector<std::wstring>& aFiles);

// Deletes the file if it exists; true when it is gone afterwards.
bool RemoveFileIfPresent(const std::wstring& sPath);
bool FileExistsW(const std::wstring& sPath);
std::vector<unsigned char> ReadWholeFile(const std::wstring& sPath);

// A started program. The destructor kills it if it still runs, so a failed test leaves nothing behind.
class CProcess {
public:
    CProcess() = default;
    ~CProcess();
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    // Starts sProgram with sArguments (the part after the program name), in sFolder.
    bool Start(const std::wstring& sProgram, const std::wstring& sArguments, const std::wstring& sFolder);
    // True when the process ended within nTimeoutMs.
    bool WaitForExit(DWORD nTimeoutMs);
    bool IsRunning() const;
    DWORD ExitCode() const;
    DWORD Id() const { return info.dwProcessId; }
    HANDLE Handle() const { return info.hProcess; }
    void Kill();

private:
    PROCESS_INFORMATION info{};
};

// How long a test waits for what the programs do promptly: the front-end ending when the renderer's
// window goes (its 500 ms watch notices), a second start ending at once, a sound starting or stopping.
// On a quiet machine that takes well under a second; with every core busy, Wine can hold a process back
// for seconds. A program that never does it still fails, only later.
constexpr DWORD kPromptMs = 10000;

// Polls fnCondition every 20 ms until it holds or nTimeoutMs pass; true when it held.
bool WaitUntil(const std::function<bool()>& fnCondition, DWORD nTimeoutMs);

// A point of the window's client area on the screen, and the colour the screen shows at a point.
POINT ClientPoint(HWND hWnd, int x, int y);
COLORREF ScreenPixel(POINT pt);

// A 32-bit DIB's header, top row first.
BITMAPINFO TopDown32(int nWidth, int nHeight);

// The pixels of a window of this process, or with hWnd null of the screen (any process's windows, as
// shown) from its top left, top row first, as 0x00RRGGBB.
std::vector<std::uint32_t> PixelsOf(HWND hWnd, int nWidth, int nHeight);

// The display-power settings a program registers for (RegisterPowerSettingNotification), written
// from their names here, not taken from the product.
extern const GUID kConsoleDisplayState;  // Windows 8 and later: 0 off, 1 on, 2 dimmed
extern const GUID kMonitorPowerOn;       // Windows 7: 0 off, 1 on
// Tells the window what the system tells it when that setting changes to nValue (Wine sends none of
// its own): a POWERBROADCAST_SETTING written into the memory of the window's process and
// WM_POWERBROADCAST / PBT_POWERSETTINGCHANGE sent with its address. True once the window handled it.
bool SendPowerSetting(HWND hWnd, const GUID& setting, DWORD nValue);

// Waits until the settings dialog is ready for input and follows the pointer: shown, enabled, in the
// foreground, its thread back in its message loop with nothing left to paint, and its cancel button
// turns to its highlight under the pointer and back when it leaves. On Wine a freshly shown window can
// lose the first input even once it is active; a time guess for the opening loses clicks on a loaded
// machine. This handshake is the proof that a click will arrive.
bool WaitUntilSettingsDialogTakesThePointer(HWND hDialog, DWORD nTimeoutMs);
// Clicks an unfocused command button of the settings dialog (its client rectangle's top left given)
// once it shows the pointer over it. A button takes a click only after it has seen the pointer come,
// as with a person's hand; a click faster than that is none. False when it never lit up.
bool ClickSettingsDialogButton(HWND hDialog, int nLeft, int nTop, DWORD nTimeoutMs);

// A top-level window with exactly this title (any class, visible or not), or null.
HWND FindTopLevel(const char* pszTitle);
// The id of the process that owns the window.
DWORD WindowProcessId(HWND hWnd);
// Every top-level window that belongs to the process.
std::vector<HWND> TopLevelWindowsOf(DWORD nProcessId);

// The current display mode.
DEVMODEA CurrentDisplayMode();

// Presses and releases a key the way a person does: down, held for nHoldMs, up (SendInput).
void PressKey(WORD nVirtualKey, DWORD nHoldMs = 150);
// The shortest tap: the press and its release in one SendInput call, so they arrive together.
void TapKey(WORD nVirtualKey);
// Moves the mouse to a position of the virtual screen (any monitor) and clicks the left button
// there (SendInput).
void MoveMouse(int x, int y);
void ClickMouse(int x, int y);

// Every monitor's rectangle as the system reports it; rcPrimary receives the primary's.
std::vector<RECT> MonitorRects(RECT* pPrimary = nullptr);

// A message box of the process with this caption, or null.
HWND FindMessageBox(DWORD nProcessId, const wchar_t* pszCaption);
// The text shown in a message box.
std::wstring MessageBoxText(HWND hBox);
// Presses its OK button.
void DismissMessageBox(HWND hBox);

// UTF-8 source text as UTF-16.
std::wstring Widen(const char* pszUtf8);

}  // namespace vtest
