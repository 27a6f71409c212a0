#include "frontend/startup.h"

#include "frontend/nerlo_b_texts.h"
#include "frontend/text_cp932.h"

namespace Nerlo_B {

StartupNext Main(CFrontEndPort& port, FrontEndState& state) {
    // A running show form or an open settings dialog wins, whatever this start was asked to do.
    if (port.FindWindowA(nullptr, Texts::kShowFormCaption) != 0 ||
        port.FindWindowA(nullptr, Texts::kSettingsDialogCaption) != 0) {
        return StartupNext::EndProgram;
    }
    const SaverMode eMode = state.commandLine.eMode;
    if (eMode == SaverMode::Preview) return StartupNext::ShowPreview;

    // An existing folder is fine; any other failure shows up later as textures not written.
    port.CreateDirectoryA(Texts::kTextureFolder);
    LoadSettings(port, state.sProgramFolder, state.settings);

    if (!FileExists(port, FileBeside(state.sProgramFolder, Texts::kRendererFileName))) {
        port.MessageBoxW(Utf8ToUtf16(Texts::kRendererMissing), Utf8ToUtf16(Texts::kProgramTitle));
        return StartupNext::EndProgram;
    }
    if (eMode == SaverMode::Configure) return StartupNext::ShowSettingsDialog;
    if (eMode == SaverMode::None) return StartupNext::EndProgram;
    if (eMode == SaverMode::Show) state.CursorCount = port.ShowCursor(false);
    return StartupNext::LoadShowForm;
}

}  // namespace Nerlo_B
