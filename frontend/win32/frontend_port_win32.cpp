#include "frontend/win32/frontend_port_win32.h"

#include <shlobj.h>

#include "assets/resource.h"
#include "frontend/win32/picture_file.h"
#include "frontend/win32/win32_handles.h"
#include "frontend/win32/win32_text.h"
#include "common/win32/startup_timing.h"

namespace Nerlo_B {

WindowHandle CFrontEndPortWin32::FindWindowA(const char* pszClassName, const char* pszWindowName) {
    return reinterpret_cast<WindowHandle>(::FindWindowA(pszClassName, pszWindowName));
}

std::int32_t CFrontEndPortWin32::ShowCursor(bool bShow) { return ::ShowCursor(bShow ? TRUE : FALSE); }

bool CFrontEndPortWin32::CreateDirectoryA(const std::string& sPath) {
    return ::CreateDirectoryA(sPath.c_str(), nullptr) != FALSE;
}

void CFrontEndPortWin32::MessageBoxW(const std::u16string& sText, const std::u16string& sCaption) {
    ::MessageBoxW(nullptr, WideOf(sText).c_str(), WideOf(sCaption).c_str(), MB_OK);
}

std::uint32_t CFrontEndPortWin32::GetPrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                                           const std::string& sDefault, char* pBuffer,
                                                           std::uint32_t nSize, const std::string& sFile) {
    return ::GetPrivateProfileStringA(sSection.c_str(), sKey.c_str(), sDefault.c_str(), pBuffer, nSize,
                                      sFile.c_str());
}

std::int32_t CFrontEndPortWin32::WritePrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                                            const std::string& sValue, const std::string& sFile) {
    return ::WritePrivateProfileStringA(sSection.c_str(), sKey.c_str(), sValue.c_str(), sFile.c_str());
}

bool CFrontEndPortWin32::OpenForInput(const std::string& sPath) {
    // Without backup semantics a folder does not open, so a folder counts as no file.
    CFileHandle file(::CreateFileA(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen();
}

std::string CFrontEndPortWin32::SHGetFolderPathA(int nFolder) {
    char szPath[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, nFolder, nullptr, SHGFP_TYPE_CURRENT, szPath))) return std::string();
    return szPath;
}

bool CFrontEndPortWin32::SavePicture(int nIndex, const std::string& sPath) {
    if (nIndex == 1) startup_timing::Mark("frontend", "pictures-begin");
    const bool bSaved = SaveBitmapResource(hInstance, IDB_PIC1_0 + nIndex, sPath);
    if (nIndex == 3) startup_timing::Mark("frontend", "pictures-end");
    return bSaved;
}

ProcessHandle CFrontEndPortWin32::CreateProcessA(const std::string& sProgram, int nShowCmd) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(nShowCmd);
    std::string sCommandLine = "\"" + sProgram + "\"";
    startup_timing::Mark("frontend", "renderer-create");
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(sProgram.c_str(), sCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return 0;
    }
    ::CloseHandle(process.hThread);
    // We have no window of our own to hand the focus over from, so let the renderer take it.
    ::AllowSetForegroundWindow(process.dwProcessId);
    return reinterpret_cast<ProcessHandle>(process.hProcess);
}

bool CFrontEndPortWin32::HasProcessExited(ProcessHandle hProcess) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(hProcess), 0) == WAIT_OBJECT_0;
}

std::uint32_t CFrontEndPortWin32::GetTickCount() { return ::GetTickCount(); }

void CFrontEndPortWin32::SetTimer(ShowTimer eTimer, std::uint32_t nElapseMs) {
    ::SetTimer(hTimerWindow, static_cast<UINT_PTR>(eTimer), nElapseMs, nullptr);
}

void CFrontEndPortWin32::KillTimer(ShowTimer eTimer) { ::KillTimer(hTimerWindow, static_cast<UINT_PTR>(eTimer)); }

void CFrontEndPortWin32::ExitProcess() { ::ExitProcess(0); }

}  // namespace Nerlo_B
