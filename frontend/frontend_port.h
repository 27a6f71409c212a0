// The system calls that start-up, the settings file and the show run make, as one port: the Win32
// build forwards each to the call it is named after, the tests record them.
#pragma once

#include <cstdint>
#include <string>

namespace Nerlo_B {

using WindowHandle = std::uintptr_t;   // 0: no window
using ProcessHandle = std::uintptr_t;  // 0: no process

// The folder of a user's roaming application data (CSIDL_APPDATA).
inline constexpr int kCsidlAppData = 0x001A;

// The show form's three timers.
enum class ShowTimer { Timer1 = 1, Timer2 = 2, Timer3 = 3 };

class CFrontEndPort {
public:
    virtual ~CFrontEndPort() = default;

    // Top-level window with this title, any class.
    virtual WindowHandle FindWindowA(const char* pszClassName, const char* pszWindowName) = 0;
    virtual std::int32_t ShowCursor(bool bShow) = 0;
    virtual bool CreateDirectoryA(const std::string& sPath) = 0;
    // A message box with only an OK button; returns when it is closed.
    virtual void MessageBoxW(const std::u16string& sText, const std::u16string& sCaption) = 0;

    // As the profile calls: strings are system code page bytes; the buffer receives the value,
    // cut to nSize - 1 bytes and NUL-terminated.
    virtual std::uint32_t GetPrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                                   const std::string& sDefault, char* pBuffer,
                                                   std::uint32_t nSize, const std::string& sFile) = 0;
    virtual std::int32_t WritePrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                                    const std::string& sValue, const std::string& sFile) = 0;
    // Opens the file for reading and closes it again; false when it could not be opened.
    virtual bool OpenForInput(const std::string& sPath) = 0;
    // The path of a special folder of the current user in the system code page; empty when the
    // system cannot name it.
    virtual std::string SHGetFolderPathA(int nFolder) = 0;

    // Writes the image of Pic1(nIndex) as a BMP file; false when the file could not be written.
    virtual bool SavePicture(int nIndex, const std::string& sPath) = 0;
    // Starts the program with no arguments in window state nShowCmd; 0 when it could not start.
    virtual ProcessHandle CreateProcessA(const std::string& sProgram, int nShowCmd) = 0;
    // True when the started process has ended (a zero-timeout wait on it succeeds).
    virtual bool HasProcessExited(ProcessHandle hProcess) = 0;
    virtual std::uint32_t GetTickCount() = 0;
    virtual void SetTimer(ShowTimer eTimer, std::uint32_t nElapseMs) = 0;
    virtual void KillTimer(ShowTimer eTimer) = 0;

    // Ends the process at once. The fake returns, so callers return right after it.
    virtual void ExitProcess() = 0;
};

}  // namespace Nerlo_B
