// Entry point of Vantorel.scr: runs the start-up decision, then opens what it asked for and runs
// the message loop that drives the show form's timers.
#include <windows.h>

#include <memory>
#include <string>

#include "frontend/music/win32/music_player_win32.h"
#include "frontend/settings_dialog/win32/settings_dialog_win32.h"
#include "frontend/settings_file.h"
#include "frontend/show_run.h"
#include "frontend/startup.h"
#include "frontend/win32/frontend_port_win32.h"
#include "frontend/win32/preview_form_win32.h"
#include "common/win32/startup_timing.h"
#include "frontend/win32/show_form_win32.h"
#include "frontend/win32/win32_text.h"

namespace {

std::string ProgramFolder() {
    char szPath[MAX_PATH + 1] = {};
    const DWORD nLength = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    return Nerlo_B::ProgramFolderOf(std::string(szPath, nLength));
}

int RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    startup_timing::Mark("frontend", "main");
    Nerlo_B::CFrontEndPortWin32 port(hInstance);
    Nerlo_B::FrontEndState state;
    // Not wWinMain's argument: the run-time drops every blank after the program name, and a
    // leading blank must move the mode letter out of position 2.
    state.commandLine = Nerlo_B::ParseCommandLine(Nerlo_B::ArgumentsOf(Nerlo_B::U16Of(::GetCommandLineW())));
    state.sProgramFolder = ProgramFolder();

    switch (Nerlo_B::Main(port, state)) {
        case Nerlo_B::StartupNext::LoadShowForm: {
            const auto pMusic = Nerlo_BGM::MakeMusicPlayer();
            Nerlo_B::Nerlo_S form(port, *pMusic, state);
            const HWND hForm = Nerlo_B::CreateShowFormWindow(hInstance, form);
            // Without its window the run could never be watched, nor found by a second start.
            if (hForm == nullptr) port.ExitProcess();
            port.SetTimerWindow(hForm);
            startup_timing::Mark("frontend", "show-form");
            form.Form_Load();
            return RunMessageLoop();
        }
        case Nerlo_B::StartupNext::ShowPreview: {
            // The process lives as long as the form; it ends with the form's window.
            Nerlo_B::CPreviewFormWin32 preview(hInstance, hInstance, state.ApiResult);
            if (preview.Build(state.commandLine.nPreviewParent)) RunMessageLoop();
            break;
        }
        case Nerlo_B::StartupNext::ShowSettingsDialog:
            Nerlo_P::ShowSettingsDialog(hInstance, port, state);
            break;
        case Nerlo_B::StartupNext::EndProgram:
            break;
    }
    port.ExitProcess();
    return 0;
}
