#include "frontend/settings_dialog/nerlo_p.h"

#include <cmath>

#include "frontend/number_text.h"
#include "frontend/settings_dialog/nerlo_p_texts.h"
#include "frontend/text_cp932.h"

namespace Nerlo_P {

std::string FormatHashHash(int nValue) { return nValue == 0 ? std::string() : std::to_string(nValue); }

std::int16_t RepeatTrackOf(const std::string& sText) {
    const auto fValue = Nerlo_B::ParseNumberText(sText);
    if (!fValue) return 0;
    const auto nValue = Nerlo_B::RoundToInt32(*fValue);
    if (!nValue || *nValue < -32768 || *nValue > 32767) return 0;
    return static_cast<std::int16_t>(*nValue);
}

bool CLinkClick::OnPress(Button eButton, bool bOverLink) {
    if (eButton != Button::Left) return false;
    bPressed = bOverLink;
    return bPressed;
}

bool CLinkClick::OnRelease(Button eButton, bool bOverLink) {
    if (eButton != Button::Left) return false;
    const bool bClick = bPressed && bOverLink;
    bPressed = false;
    return bClick;
}

Point CentredFormPosition(int nScreenWidth, int nScreenHeight, int nFormWidth, int nFormHeight, int nTwipsPerPixelX,
                          int nTwipsPerPixelY) {
    const auto fnAxis = [](int nScreen, int nForm, int nTwipsPerPixel, int nDivisor) {
        if (nTwipsPerPixel <= 0) nTwipsPerPixel = 15;
        const std::int64_t nTwips =
            (static_cast<std::int64_t>(nScreen) - nForm) * nTwipsPerPixel / nDivisor;  // \ truncates
        return static_cast<int>(std::nearbyint(static_cast<double>(nTwips) / nTwipsPerPixel));
    };
    return {fnAxis(nScreenWidth, nFormWidth, nTwipsPerPixelX, 2), fnAxis(nScreenHeight, nFormHeight, nTwipsPerPixelY, 3)};
}

std::vector<Rgb> ShadeRows(double fHeight, ShadeSurface eSurface) {
    std::vector<Rgb> aRows;
    if (!(fHeight > 0)) return aRows;
    const double fD = fHeight / 3.142;  // 3.142, not pi: the shade's period is fixed by this constant
    const int nLast = static_cast<int>(std::nearbyint(fHeight));
    for (int y = 0; y <= nLast; ++y) {
        const int c = static_cast<int>(std::nearbyint(std::fabs(std::sin(y / fD)) * 220));
        aRows.push_back(eSurface == ShadeSurface::Form ? Rgb{c, c, c + 30} : Rgb{c + 30, c + 30, c + 30});
    }
    return aRows;
}

void CNerloP::MarkKind() {
    for (int i = 0; i < 3; ++i) controls.aKindMarked[i] = state.settings.BGM_Kind == i;
}

void CNerloP::Form_Load() {
    const auto& settings = state.settings;
    controls.bRepeatEnabled = false;
    MarkKind();
    if (settings.BGM_Kind == 1) controls.bRepeatEnabled = true;
    controls.bFileButtonEnabled = settings.BGM_Kind == 2;
    controls.sRepeatText = FormatHashHash(settings.BGM_RepeatTrack);
    controls.aRepeatItems.clear();
    for (int i = 0; i <= 30; ++i) controls.aRepeatItems.push_back(FormatHashHash(i));
    controls.sFileCaption = settings.BGM_File;
    int x = 0, y = 0;
    if (dialogPort.GetCursorPos(x, y)) {
        nZoomX = static_cast<std::int16_t>(x);
        nZoomY = static_cast<std::int16_t>(y);
    } else {
        nZoomX = nZoomY = 0;
    }
    dialogPort.DrawAnimatedRects(kIdAniCaption, {nZoomX, nZoomY, nZoomX, nZoomY}, dialogPort.GetWindowRect());
    dialogPort.SetMousePointer(0);
}

void CNerloP::ChooseKind(int nKind) {
    state.settings.BGM_Kind = static_cast<std::int16_t>(nKind);
    controls.bFileButtonEnabled = false;
    controls.bRepeatEnabled = false;
    MarkKind();
    if (nKind == 1) controls.bRepeatEnabled = true;
    if (nKind == 2) controls.bFileButtonEnabled = true;
}

void CNerloP::Cmd_File_Click() {
    OpenFileRequest request;
    request.sFilter = Nerlo_B::Cp932Text(Texts::kFileFilterName) + '\0' + Texts::kFileFilterPattern;
    request.sInitialFolder = state.settings.BGM_Folder;
    request.sTitle = Nerlo_B::Cp932Text(Texts::kFileDialogTitle);
    std::string sFile;
    state.ApiResult = dialogPort.GetOpenFileNameA(request, sFile);
    if (state.ApiResult <= 0) return;
    state.settings.BGM_File = sFile;
    controls.sFileCaption = sFile;
    state.settings.BGM_Folder = Nerlo_B::FolderOf(sFile);
}

bool CNerloP::Cmd_Set_Click(const std::string& sRepeatText) {
    controls.sRepeatText = sRepeatText;
    state.settings.BGM_RepeatTrack = RepeatTrackOf(sRepeatText);
    Nerlo_B::StoreSettings(port, state.sProgramFolder, state.settings, state.settings.BGM_RepeatTrack,
                           state.ApiResult);
    return true;
}

void CNerloP::Form_Unload() {
    dialogPort.DrawAnimatedRects(kIdAniCaption, dialogPort.GetWindowRect(), {nZoomX, nZoomY, nZoomX, nZoomY});
}

void CNerloP::lbl_URL_Click(const std::string& sAddress) {
    dialogPort.SetMousePointer(11);
    dialogPort.ShellExecuteA("open", sAddress, "", "", 1);
    dialogPort.SetMousePointer(0);
}

}  // namespace Nerlo_P
