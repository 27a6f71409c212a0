#include "frontend/music/bgm_player.h"

#include <cstring>

#include "frontend/music/mci_answer_text.h"
#include "frontend/music/nerlo_bgm_texts.h"
#include "frontend/text_cp932.h"

namespace Nerlo_BGM {
namespace {

// True when the first seven characters of an answer buffer read sWord.
bool StartsWith7(const char* pBuffer, const char (&sWord)[8]) { return std::memcmp(pBuffer, sWord, 7) == 0; }

}  // namespace

CBgmPlayer::CBgmPlayer(CMusicPort& portIn) : port(portIn) {}

std::int32_t CBgmPlayer::MCI_Send(const std::string& sCommand) {
    if (sCommand.empty()) {
        sMciMessage = Nerlo_B::Cp932Text(Texts::kNoCommand);
        return -1;
    }
    const std::uint32_t nCode = port.mciSendStringA(sCommand, MCI_Answer, kMciAnswerSize);
    if (nCode == 0) {
        sMciMessage = TextUpToNul(MCI_Answer, kMciAnswerSize);
        return 0;
    }
    if (port.mciGetErrorStringA(nCode, MCI_ErrorText, kMciErrorTextSize)) {
        sMciMessage = TextUpToNul(MCI_ErrorText, kMciErrorTextSize);
    } else {
        sMciMessage = Nerlo_B::Cp932Text(Texts::kNoErrorText);
    }
    return static_cast<std::int32_t>(nCode);
}

std::string CBgmPlayer::MCI_Query(const std::string& sCommand) {
    const std::int32_t nCode = MCI_Send(sCommand);
    if (nCode == 0) return sMciMessage;
    return "Error:" + std::to_string(nCode);
}

std::int32_t CBgmPlayer::MCI_Play(const std::string& sDevice, const std::string& sFrom, const std::string& sTo) {
    std::string sCommand = "play " + sDevice;
    if (!sFrom.empty()) sCommand += " from " + sFrom;
    if (!sTo.empty()) sCommand += " to " + sTo;
    return MCI_Send(sCommand);
}

// ---- audio CD ----------------------------------------------------------------------------------

void CBgmPlayer::CD_Open() {
    port.mciSendStringA("open cdaudio", nullptr, 0);
    port.mciSendStringA("set cdaudio time format tmsf", nullptr, 0);
}

void CBgmPlayer::CD_Watch(std::int16_t BGM_RepeatTrack) {
    bCdContinue = true;
    // No drive, no disc or no open device: the watch ends for good.
    const std::string sCurrent = MCI_Query("status cdaudio current track");
    if (ContainsErr(sCurrent)) {
        bCdContinue = false;
        return;
    }
    const std::string sCount = MCI_Query("status cdaudio number of tracks");
    if (ContainsErr(sCount)) {
        bCdContinue = false;
        return;
    }
    port.mciSendStringA("status cdaudio mode", CD_Mode, kCdModeSize);
    const bool bStopped = StartsWith7(CD_Mode, "stopped");

    if (BGM_RepeatTrack != 0) {
        // A current track that is no number cannot be compared: that failure ends the watch.
        const std::optional<double> nCurrent = NumberOfText(sCurrent);
        if (!nCurrent) {
            bCdContinue = false;
            return;
        }
        // Stopped, or run on into the next track: back to the start of the repeat track. A track not
        // on the disc gives a failure text as the position, and the play fails with it.
        if (bStopped || *nCurrent != BGM_RepeatTrack) {
            const std::string sStart = MCI_Query("status cdaudio position track " + std::to_string(BGM_RepeatTrack));
            MCI_Play("cdaudio", sStart, "");
        }
    } else if (bStopped) {
        MCI_Play("cdaudio", "", "");
    }
}

void CBgmPlayer::CD_Stop() {
    port.mciSendStringA("stop cdaudio", nullptr, 0);
    port.mciSendStringA("close cdaudio", nullptr, 0);
}

// ---- WAV ---------------------------------------------------------------------------------------

void CBgmPlayer::WAV_Play(const std::string& BGM_File) {
    // Read as a signed count, as the check has always been made.
    if (static_cast<std::int32_t>(port.waveOutGetNumDevs()) <= 0) return;
    port.PlaySoundA(BGM_File.c_str(), 0, kWavLoopFlags);
}

void CBgmPlayer::WAV_Stop() { port.PlaySoundA(nullptr, 0, 0); }

// ---- MP3 ---------------------------------------------------------------------------------------

void CBgmPlayer::MP3_Play(const std::string& BGM_File) {
    // Quoted, so a path with blanks stays one name.
    if (port.mciSendStringA("open \"" + BGM_File + "\" type MPEGVideo Alias MP3Play", nullptr, 0) == 0) {
        port.mciSendStringA("play MP3Play", nullptr, 0);
    }
}

bool CBgmPlayer::MP3_IsPlaying() {
    port.mciSendStringA("status MP3Play mode", MP3_Mode, kMp3ModeSize);
    return StartsWith7(MP3_Mode, "playing");
}

void CBgmPlayer::MP3_Watch() {
    if (MP3_IsPlaying()) return;
    port.mciSendStringA("stop MP3Play", nullptr, 0);
    port.mciSendStringA("play MP3Play from 0", nullptr, 0);
}

void CBgmPlayer::MP3_Stop() {
    port.mciSendStringA("stop MP3Play", nullptr, 0);
    port.mciSendStringA("close MP3Play", nullptr, 0);
}

}  // namespace Nerlo_BGM
