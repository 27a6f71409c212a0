// The show form Nerlo_S: one screensaver run. It writes the texture pictures, starts the music and
// the renderer, watches for the renderer's window, and when that has gone stops the music, gives
// the cursor back and ends the program. The Win32 form forwards its load, timers and close here.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/frontend_port.h"
#include "frontend/music/nerlo_bgm.h"
#include "frontend/startup.h"

namespace Nerlo_B {

enum class MusicFileType { None, Wav, Mp3 };

// By the last three characters of the file name, upper-cased.
MusicFileType MusicFileTypeOf(const std::string& BGM_File);

class Nerlo_S {
public:
    // The renderer gets this long to show its window before the run gives up on it.
    static constexpr std::uint32_t kRendererStartLimitMs = 10000;
    static constexpr std::uint32_t kTimer1Ms = 1000;  // MP3 watch
    static constexpr std::uint32_t kTimer2Ms = 200;   // CD watch
    static constexpr std::uint32_t kTimer3Ms = 500;   // renderer watch
    static constexpr int kShowNormalFocused = 1;

    Nerlo_S(CFrontEndPort& port, Nerlo_BGM::CMusicPlayer& music, FrontEndState& state);

    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    // Runs for every unload, the renderer watch's and the system's alike; ends the program.
    void Form_QueryUnload();

    bool IsTimerOn(ShowTimer eTimer) const;
    const std::string& RendererPath() const { return sRendererPath; }

private:
    void SetTimerOn(ShowTimer eTimer, bool bOn);

    CFrontEndPort& port;
    Nerlo_BGM::CMusicPlayer& music;
    FrontEndState& state;
    bool aTimerOn[3] = {false, false, false};
    std::string sRendererPath;
    ProcessHandle hRenderer = 0;
    std::uint32_t nRendererStartTick = 0;
    bool bRendererWindowSeen = false;
    bool bUnloaded = false;
};

}  // namespace Nerlo_B
