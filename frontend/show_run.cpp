#include "frontend/show_run.h"

#include "frontend/nerlo_b_texts.h"
#include "frontend/text_cp932.h"

namespace Nerlo_B {

MusicFileType MusicFileTypeOf(const std::string& BGM_File) {
    std::string sEnding = Cp932LastCharacters(BGM_File, 3);
    for (char& c : sEnding) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (sEnding == "WAV") return MusicFileType::Wav;
    if (sEnding == "MP3") return MusicFileType::Mp3;
    return MusicFileType::None;
}

Nerlo_S::Nerlo_S(CFrontEndPort& portIn, Nerlo_BGM::CMusicPlayer& musicIn, FrontEndState& stateIn)
    : port(portIn), music(musicIn), state(stateIn) {}

bool Nerlo_S::IsTimerOn(ShowTimer eTimer) const { return aTimerOn[static_cast<int>(eTimer) - 1]; }

void Nerlo_S::SetTimerOn(ShowTimer eTimer, bool bOn) {
    bool& bState = aTimerOn[static_cast<int>(eTimer) - 1];
    if (bOn == bState) return;
    bState = bOn;
    if (bOn) {
        const std::uint32_t nMs = eTimer == ShowTimer::Timer1 ? kTimer1Ms
                                  : eTimer == ShowTimer::Timer2 ? kTimer2Ms
                                                                : kTimer3Ms;
        port.SetTimer(eTimer, nMs);
    } else {
        port.KillTimer(eTimer);
    }
}

void Nerlo_S::Form_Load() {
    // The renderer watch runs from the moment the form exists; its ticks come once start-up returns.
    SetTimerOn(ShowTimer::Timer3, true);

    // A picture that cannot be written is skipped: the renderer then finds the old file or none.
    for (int i = 0; i < 3; ++i) port.SavePicture(i + 1, Texts::kTextureFiles[i]);

    const BgmSettings& settings = state.settings;
    if (settings.BGM_Kind == 1) {
        music.CD_Open();
        SetTimerOn(ShowTimer::Timer2, true);
    }
    if (settings.BGM_Kind == 2) {
        const MusicFileType eType = MusicFileTypeOf(settings.BGM_File);
        if (eType == MusicFileType::Wav) music.WAV_Play(settings.BGM_File);
        if (eType == MusicFileType::Mp3) {
            music.MP3_Play(settings.BGM_File);
            SetTimerOn(ShowTimer::Timer1, true);
        }
    }

    sRendererPath = FileBeside(state.sProgramFolder, Texts::kRendererFileName);
    hRenderer = port.CreateProcessA(sRendererPath, kShowNormalFocused);
    nRendererStartTick = port.GetTickCount();
}

void Nerlo_S::Timer1_Timer() { music.MP3_Watch(); }

void Nerlo_S::Timer2_Timer() {
    music.CD_Watch(state.settings.BGM_RepeatTrack);
    SetTimerOn(ShowTimer::Timer2, music.CD_Continue());
}

void Nerlo_S::Timer3_Timer() {
    if (port.FindWindowA(nullptr, Texts::kRendererCaption) != 0) {
        bRendererWindowSeen = true;
        return;
    }
    // Until the renderer has shown its window once, it may still be switching the display mode:
    // only its end, or a start that takes far too long, ends the run then.
    if (!bRendererWindowSeen) {
        const bool bRendererEnded = hRenderer == 0 || port.HasProcessExited(hRenderer);
        const bool bTooLong = port.GetTickCount() - nRendererStartTick >= kRendererStartLimitMs;
        if (!bRendererEnded && !bTooLong) return;
    }
    SetTimerOn(ShowTimer::Timer3, false);
    Form_QueryUnload();
}

void Nerlo_S::Form_QueryUnload() {
    if (bUnloaded) return;  // a close that arrives while ending changes nothing
    bUnloaded = true;
    // A CD watch that already gave up left the device alone, so it is not stopped either.
    if (IsTimerOn(ShowTimer::Timer2)) {
        SetTimerOn(ShowTimer::Timer2, false);
        music.CD_Stop();
    }
    if (state.settings.BGM_Kind == 2) {
        const MusicFileType eType = MusicFileTypeOf(state.settings.BGM_File);
        if (eType == MusicFileType::Wav) music.WAV_Stop();
        if (eType == MusicFileType::Mp3) {
            SetTimerOn(ShowTimer::Timer1, false);
            music.MP3_Stop();
        }
    }
    // The counter kept when the cursor was hidden (normally -1) is passed as the show flag.
    if (state.commandLine.cModeLetter == u'S') {
        state.CursorCount = port.ShowCursor(state.CursorCount.value_or(0) != 0);
    }
    port.ExitProcess();
}

}  // namespace Nerlo_B
