// A recording fake of the music port: every call lands in a log line, MCI answers and error texts
// come from tables the test fills in. Unlisted commands succeed with an empty answer.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "frontend/music/music_port.h"

namespace vtest {

struct MciAnswer {
    std::uint32_t nCode = 0;
    std::string sText;  // written to the answer buffer on success
};

class CFakeMusicPort : public Nerlo_BGM::CMusicPort {
public:
    std::vector<std::string> aLog;
    std::map<std::string, MciAnswer> aAnswers;
    std::map<std::uint32_t, std::string> aErrorTexts;  // a code not listed has no text
    std::uint32_t nWaveOutDevices = 2;
    std::vector<std::uint32_t> aAnswerSizes;  // cchReturn of every mciSendStringA, in order
    std::vector<std::uint32_t> aErrorTextSizes;

    std::uint32_t mciSendStringA(const std::string& sCommand, char* pszReturnString,
                                 std::uint32_t cchReturn) override {
        aLog.push_back(sCommand + (pszReturnString ? " [answer]" : ""));
        aAnswerSizes.push_back(cchReturn);
        const auto it = aAnswers.find(sCommand);
        const MciAnswer answer = it == aAnswers.end() ? MciAnswer{} : it->second;
        if (answer.nCode == 0 && pszReturnString && cchReturn > 0) Copy(answer.sText, pszReturnString, cchReturn);
        return answer.nCode;
    }
    bool mciGetErrorStringA(std::uint32_t nError, char* pszText, std::uint32_t cchText) override {
        aLog.push_back("mciGetErrorStringA " + std::to_string(nError));
        aErrorTextSizes.push_back(cchText);
        const auto it = aErrorTexts.find(nError);
        if (it == aErrorTexts.end()) return false;
        Copy(it->second, pszText, cchText);
        return true;
    }
    bool PlaySoundA(const char* pszSound, std::uintptr_t hModule, std::uint32_t fdwSound) override {
        aLog.push_back(std::string("PlaySoundA ") + (pszSound ? pszSound : "(null)") + " " +
                       std::to_string(hModule) + " " + std::to_string(fdwSound));
        return true;
    }
    std::uint32_t waveOutGetNumDevs() override {
        aLog.push_back("waveOutGetNumDevs");
        return nWaveOutDevices;
    }

    void Answer(const std::string& sCommand, const std::string& sText) { aAnswers[sCommand] = {0, sText}; }
    void Fail(const std::string& sCommand, std::uint32_t nCode) { aAnswers[sCommand] = {nCode, ""}; }

private:
    // As the system does: cut to nSize - 1 bytes, NUL-terminated.
    static void Copy(const std::string& s, char* pBuffer, std::uint32_t nSize) {
        const std::size_t n = std::min<std::size_t>(s.size(), nSize - 1);
        std::memcpy(pBuffer, s.data(), n);
        pBuffer[n] = '\0';
    }
};

}  // namespace vtest
