// The front-end port over the real system calls, one to one.
#pragma once
#include <windows.h>

#include "frontend/frontend_port.h"

namespace Nerlo_B {

class CFrontEndPortWin32 final : public CFrontEndPort {
public:
    explicit CFrontEndPortWin32(HINSTANCE hInstanceIn) : hInstance(hInstanceIn) {}
    // The show form's window, which owns the timers.
    void SetTimerWindow(HWND hWnd) { hTimerWindow = hWnd; }

    WindowHandle FindWindowA(const char* pszClassName, const char* pszWindowName) override;
    std::int32_t ShowCursor(bool bShow) override;
    bool CreateDirectoryA(const std::string& sPath) override;
    void MessageBoxW(const std::u16string& sText, const std::u16string& sCaption) override;
    std::uint32_t GetPrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                           const std::string& sDefault, char* pBuffer, std::uint32_t nSize,
                                           const std::string& sFile) override;
    std::int32_t WritePrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                            const std::string& sValue, const std::string& sFile) override;
    bool OpenForInput(const std::string& sPath) override;
    std::string SHGetFolderPathA(int nFolder) override;
    bool SavePicture(int nIndex, const std::string& sPath) override;
    ProcessHandle CreateProcessA(const std::string& sProgram, int nShowCmd) override;
    bool HasProcessExited(ProcessHandle hProcess) override;
    std::uint32_t GetTickCount() override;
    void SetTimer(ShowTimer eTimer, std::uint32_t nElapseMs) override;
    void KillTimer(ShowTimer eTimer) override;
    void ExitProcess() override;

private:
    HINSTANCE hInstance;
    HWND hTimerWindow = nullptr;
};

}  // namespace Nerlo_B
