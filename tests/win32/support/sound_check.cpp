#include "support/sound_check.h"

#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "support/win32_test_support.h"

namespace vtest {

std::string ToneWavBytes(int nMs) {
    const std::uint32_t nSamples = kToneRate * nMs / 1000;
    std::string a;
    auto Put32 = [&](std::uint32_t n) {
        for (int i = 0; i < 4; ++i) a += static_cast<char>(n >> (8 * i));
    };
    auto Put16 = [&](std::uint16_t n) {
        a += static_cast<char>(n);
        a += static_cast<char>(n >> 8);
    };
    a += "RIFF";
    Put32(36 + nSamples * 2);
    a += "WAVEfmt ";
    Put32(16);
    Put16(WAVE_FORMAT_PCM);
    Put16(1);
    Put32(kToneRate);
    Put32(kToneRate * 2);
    Put16(2);
    Put16(16);
    a += "data";
    Put32(nSamples * 2);
    for (std::uint32_t i = 0; i < nSamples; ++i) {
        Put16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(16000 * std::sin(2 * 3.14159265358979 * 440 * i / kToneRate))));
    }
    return a;
}

std::optional<double> RecordRms(DWORD nMs) {
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, kToneRate, kToneRate * 2, 2, 16, 0};
    HWAVEIN hIn = nullptr;
    if (waveInOpen(&hIn, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return std::nullopt;
    std::vector<std::int16_t> aSamples(kToneRate * nMs / 1000);
    WAVEHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(aSamples.data());
    header.dwBufferLength = static_cast<DWORD>(aSamples.size() * 2);
    waveInPrepareHeader(hIn, &header, sizeof header);
    waveInAddBuffer(hIn, &header, sizeof header);
    waveInStart(hIn);
    const bool bDone = WaitUntil([&] { return (header.dwFlags & WHDR_DONE) != 0; }, nMs + 5000);
    waveInReset(hIn);
    waveInUnprepareHeader(hIn, &header, sizeof header);
    waveInClose(hIn);
    if (!bDone || header.dwBytesRecorded == 0) return std::nullopt;
    double fSum = 0;
    const std::size_t n = header.dwBytesRecorded / 2;
    for (std::size_t i = 0; i < n; ++i) fSum += double(aSamples[i]) * aSamples[i];
    return std::sqrt(fSum / n);
}

bool HearsSound(DWORD nWithinMs) {
    const DWORD nStart = GetTickCount();
    do {
        const auto nRms = RecordRms(250);
        if (nRms && *nRms > kSoundRms) return true;
    } while (GetTickCount() - nStart < nWithinMs);
    return false;
}

bool HearsSilence(DWORD nWithinMs) {
    const DWORD nStart = GetTickCount();
    do {
        const auto nRms = RecordRms(250);
        if (nRms && *nRms < kSilenceRms) return true;
    } while (GetTickCount() - nStart < nWithinMs);
    return false;
}

}  // namespace vtest
