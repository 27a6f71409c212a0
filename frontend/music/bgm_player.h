// Nerlo_BGM, the background music: CD and MP3 through MCI command strings, WAV through the sound
// player. Every failure is silent; the command texts only feed the CD watch's "ERR" test.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/music/music_port.h"
#include "frontend/music/nerlo_bgm.h"

namespace Nerlo_BGM {

class CBgmPlayer : public CMusicPlayer {
public:
    // The module's answer buffers, in characters, as the commands are given them.
    static constexpr std::uint32_t kCdModeSize = 255;
    static constexpr std::uint32_t kMp3ModeSize = 30;
    static constexpr std::uint32_t kMciAnswerSize = 512;
    static constexpr std::uint32_t kMciErrorTextSize = 256;
    // SND_ASYNC | SND_LOOP: the WAV plays in the background and repeats until stopped.
    static constexpr std::uint32_t kWavLoopFlags = 1 | 8;

    explicit CBgmPlayer(CMusicPort& port);

    void CD_Open() override;
    void CD_Watch(std::int16_t BGM_RepeatTrack) override;
    void CD_Stop() override;
    bool CD_Continue() const override { return bCdContinue; }

    void WAV_Play(const std::string& BGM_File) override;
    void WAV_Stop() override;

    void MP3_Play(const std::string& BGM_File) override;
    bool MP3_IsPlaying();
    void MP3_Watch() override;
    void MP3_Stop() override;

    // The MCI error code (0 success, -1 for an empty command); the answer or error text is left
    // in MCI_Message.
    std::int32_t MCI_Send(const std::string& sCommand);
    // The answer text, or "Error:" and the code.
    std::string MCI_Query(const std::string& sCommand);
    // "play <device>[ from <from>][ to <to>]"; an empty position is left out.
    std::int32_t MCI_Play(const std::string& sDevice, const std::string& sFrom, const std::string& sTo);
    // System code page bytes, like the answers it holds.
    const std::string& MCI_Message() const { return sMciMessage; }

private:
    CMusicPort& port;
    bool bCdContinue = false;
    // Kept between calls: an answer that does not come leaves the last one in place.
    char CD_Mode[kCdModeSize] = {};
    char MP3_Mode[kMp3ModeSize] = {};
    char MCI_Answer[kMciAnswerSize] = {};
    char MCI_ErrorText[kMciErrorTextSize] = {};
    std::string sMciMessage;
};

}  // namespace Nerlo_BGM
