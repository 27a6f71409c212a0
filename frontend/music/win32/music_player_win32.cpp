#include "frontend/music/win32/music_player_win32.h"

#include "frontend/music/bgm_player.h"
#include "frontend/music/win32/music_port_win32.h"

namespace Nerlo_BGM {
namespace {

// The port is the first base, so it is built before the player that holds on to it and outlives it.
class CWinmmPlayer final : private CMusicPortWin32, public CBgmPlayer {
public:
    CWinmmPlayer() : CBgmPlayer(static_cast<CMusicPort&>(*this)) {}
};

}  // namespace

std::unique_ptr<CMusicPlayer> MakeMusicPlayer() { return std::make_unique<CWinmmPlayer>(); }

}  // namespace Nerlo_BGM
