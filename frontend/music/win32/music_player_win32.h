// The music player the show form gets on Windows: the MCI player over winmm.
#pragma once

#include <memory>

#include "frontend/music/nerlo_bgm.h"

namespace Nerlo_BGM {

std::unique_ptr<CMusicPlayer> MakeMusicPlayer();

}  // namespace Nerlo_BGM
