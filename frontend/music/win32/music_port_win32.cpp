#include "frontend/music/win32/music_port_win32.h"

#include <windows.h>
#include <mmsystem.h>

namespace Nerlo_BGM {

std::uint32_t CMusicPortWin32::mciSendStringA(const std::string& sCommand, char* pszReturnString,
                                              std::uint32_t cchReturn) {
    return ::mciSendStringA(sCommand.c_str(), pszReturnString, cchReturn, nullptr);
}

bool CMusicPortWin32::mciGetErrorStringA(std::uint32_t nError, char* pszText, std::uint32_t cchText) {
    return ::mciGetErrorStringA(nError, pszText, cchText) != FALSE;
}

bool CMusicPortWin32::PlaySoundA(const char* pszSound, std::uintptr_t hModule, std::uint32_t fdwSound) {
    return ::PlaySoundA(pszSound, reinterpret_cast<HMODULE>(hModule), fdwSound) != FALSE;
}

std::uint32_t CMusicPortWin32::waveOutGetNumDevs() { return ::waveOutGetNumDevs(); }

}  // namespace Nerlo_BGM
