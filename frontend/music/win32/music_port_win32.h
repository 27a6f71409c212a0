// The music port on Windows: each call goes straight to winmm.
#pragma once

#include "frontend/music/music_port.h"

namespace Nerlo_BGM {

class CMusicPortWin32 : public CMusicPort {
public:
    std::uint32_t mciSendStringA(const std::string& sCommand, char* pszReturnString,
                                 std::uint32_t cchReturn) override;
    bool mciGetErrorStringA(std::uint32_t nError, char* pszText, std::uint32_t cchText) override;
    bool PlaySoundA(const char* pszSound, std::uintptr_t hModule, std::uint32_t fdwSound) override;
    std::uint32_t waveOutGetNumDevs() override;
};

}  // namespace Nerlo_BGM
