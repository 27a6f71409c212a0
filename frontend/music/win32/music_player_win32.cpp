// Until the MCI player lands, the show form runs with a player that plays nothing: a run with
// music chosen is then silent, as it is on a machine without a sound device.
#include "frontend/music/win32/music_player_win32.h"

namespace Nerlo_BGM {
namespace {

class CSilentPlayer final : public CMusicPlayer {
public:
    void CD_Open() override {}
    void CD_Watch(std::int16_t) override {}
    void CD_Stop() override {}
    // No CD to watch: the first tick ends the CD watch, as with no drive.
    bool CD_Continue() const override { return false; }
    void WAV_Play(const std::string&) override {}
    void WAV_Stop() override {}
    void MP3_Play(const std::string&) override {}
    void MP3_Watch() override {}
    void MP3_Stop() override {}
};

}  // namespace

std::unique_ptr<CMusicPlayer> MakeMusicPlayer() { return std::make_unique<CSilentPlayer>(); }

}  // namespace Nerlo_BGM
