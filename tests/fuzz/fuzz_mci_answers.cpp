// The music module over any answers from MCI: the CD watch's status queries (current track, number of
// tracks, mode, track position), the MP3 watch's mode, error codes and their texts, all made of
// fuzzer bytes and delivered the way mciSendStringA and mciGetErrorStringA deliver them (cut to the
// buffer, NUL-terminated). The watches run in any order for many ticks; nothing may read past an
// answer buffer, and the text helpers behind them take the same bytes directly.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/music/bgm_player.h"
#include "frontend/music/mci_answer_text.h"

namespace {

class CFuzzedMusicPort : public Nerlo_BGM::CMusicPort {
public:
    explicit CFuzzedMusicPort(FuzzedDataProvider& dataIn) : data(dataIn) {}

    std::uint32_t mciSendStringA(const std::string& sCommand, char* pszReturnString, std::uint32_t cchReturn) override {
        if (sCommand.empty()) std::abort();  // the module never sends an empty command
        // Mostly success; sometimes one of MCI's error codes (or any other number).
        const std::uint32_t nCode = data.ConsumeBool() ? 0 : data.ConsumeIntegral<std::uint32_t>();
        if (nCode == 0 && pszReturnString && cchReturn > 0) Deliver(pszReturnString, cchReturn);
        return nCode;
    }
    bool mciGetErrorStringA(std::uint32_t, char* pszText, std::uint32_t cchText) override {
        if (!data.ConsumeBool()) return false;
        Deliver(pszText, cchText);
        return true;
    }
    bool PlaySoundA(const char*, std::uintptr_t, std::uint32_t) override { return data.ConsumeBool(); }
    std::uint32_t waveOutGetNumDevs() override { return data.ConsumeIntegral<std::uint32_t>(); }

private:
    FuzzedDataProvider& data;

    // As the system does: the answer cut to cch - 1 bytes and NUL-terminated.
    void Deliver(char* pBuffer, std::uint32_t cch) {
        const std::string sAnswer = data.ConsumeRandomLengthString(1024);
        const size_t n = std::min<size_t>(sAnswer.size(), cch - 1);
        std::memcpy(pBuffer, sAnswer.data(), n);
        pBuffer[n] = '\0';
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    FuzzedDataProvider data(pData, nSize);

    // The text helpers on raw bytes, NULs and all.
    const std::string sRaw = data.ConsumeRandomLengthString(600);
    const std::string sText = Nerlo_BGM::TextUpToNul(sRaw.data(), sRaw.size());
    if (sText.size() > sRaw.size() || sText.find('\0') != std::string::npos) std::abort();
    (void)Nerlo_BGM::ContainsErr(sRaw);
    if (const auto fNumber = Nerlo_BGM::NumberOfText(sRaw)) (void)*fNumber;

    CFuzzedMusicPort port(data);
    Nerlo_BGM::CBgmPlayer player(port);
    const std::int16_t nRepeatTrack = data.ConsumeIntegral<std::int16_t>();
    const std::string sFile = data.ConsumeRandomLengthString(300);
    while (data.remaining_bytes() > 0) {
        switch (data.ConsumeIntegralInRange(0, 9)) {
            case 0: player.CD_Open(); break;
            case 1: player.CD_Watch(nRepeatTrack); break;
            case 2: player.CD_Watch(0); break;
            case 3: player.CD_Stop(); break;
            case 4: player.MP3_Play(sFile); break;
            case 5: player.MP3_Watch(); break;
            case 6: player.MP3_Stop(); break;
            case 7: player.WAV_Play(sFile); break;
            case 8: player.WAV_Stop(); break;
            case 9: {
                const std::string sAnswer = player.MCI_Query(data.ConsumeRandomLengthString(64) + "x");
                if (sAnswer.find('\0') != std::string::npos) std::abort();
                if (player.MCI_Message().size() >= Nerlo_BGM::CBgmPlayer::kMciAnswerSize) std::abort();
                break;
            }
        }
    }
    return 0;
}
