// The system calls the music module makes: MCI command strings, their error texts, the sound player
// and the count of wave-out devices. The Win32 build forwards each to winmm; tests record them.
#pragma once

#include <cstdint>
#include <string>

namespace Nerlo_BGM {

class CMusicPort {
public:
    virtual ~CMusicPort() = default;

    // sCommand in the system code page. With a buffer, the answer lands there NUL-terminated, cut to
    // cchReturn - 1 bytes; pszReturnString may be null (cchReturn 0). No callback window. 0: success.
    virtual std::uint32_t mciSendStringA(const std::string& sCommand, char* pszReturnString,
                                         std::uint32_t cchReturn) = 0;
    // The text of an MCI error code, NUL-terminated in the buffer; false when there is none.
    virtual bool mciGetErrorStringA(std::uint32_t nError, char* pszText, std::uint32_t cchText) = 0;
    // pszSound null stops the sound that plays; hModule is always null here.
    virtual bool PlaySoundA(const char* pszSound, std::uintptr_t hModule, std::uint32_t fdwSound) = 0;
    virtual std::uint32_t waveOutGetNumDevs() = 0;
};

}  // namespace Nerlo_BGM
