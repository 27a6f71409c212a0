#include "frontend/preview_form.h"

#include <limits>

namespace Nerlo_B {
namespace {

// A pixel size in twips as a 16-bit property takes it; a statement that overflows is skipped, so
// the property keeps its 0.
std::int16_t TwipsOf(std::int64_t nPixels, int nTwipsPerPixel) {
    const std::int64_t nTwips = nPixels * nTwipsPerPixel;
    if (nTwips < std::numeric_limits<std::int16_t>::min() || nTwips > std::numeric_limits<std::int16_t>::max()) {
        return 0;
    }
    return static_cast<std::int16_t>(nTwips);
}

std::int32_t PixelsOf(std::int16_t nTwips, int nTwipsPerPixel) {
    return nTwipsPerPixel > 0 ? nTwips / nTwipsPerPixel : 0;
}

}  // namespace

PreviewGeometry PreviewGeometryFor(const WindowRect& parent, int nTwipsPerPixelX, int nTwipsPerPixelY) {
    PreviewGeometry geometry;
    geometry.nWidth = TwipsOf(static_cast<std::int64_t>(parent.right) - parent.left, nTwipsPerPixelX);
    geometry.nHeight = TwipsOf(static_cast<std::int64_t>(parent.bottom) - parent.top, nTwipsPerPixelY);
    geometry.nImageWidth = PixelsOf(geometry.nWidth, nTwipsPerPixelX);
    geometry.nImageHeight = PixelsOf(geometry.nHeight, nTwipsPerPixelY);
    return geometry;
}

bool Nerlo_R::Build(std::int32_t nParentHandle) {
    // Sign-extended, as the system widens a 32-bit window handle.
    hParent = static_cast<WindowHandle>(static_cast<std::intptr_t>(nParentHandle));
    // A handle that names no window leaves the rectangle all zero: a form of size 0.
    WindowRect parent;
    port.GetWindowRect(hParent, parent);
    const PreviewGeometry geometry = PreviewGeometryFor(parent, port.TwipsPerPixelX(), port.TwipsPerPixelY());

    hForm = port.LoadForm();
    const std::int32_t nStyle = port.GetWindowLongA(hForm, GWL_STYLE_INDEX);
    port.SetWindowLongA(hForm, GWL_STYLE_INDEX, nStyle | WS_CHILD_STYLE);
    port.SetParent(hForm, hParent);
    port.MoveForm(geometry.nLeft, geometry.nTop, geometry.nWidth, geometry.nHeight);
    port.MoveImage(0, 0, geometry.nImageWidth, geometry.nImageHeight);
    port.ShowForm();
    port.SetWatchTimer(kParentWatchMs);
    return hForm != 0;
}

void Nerlo_R::ParentWatch_Timer() {
    // Nothing else of ours is on the screen then, and no close request will ever come.
    if (!port.IsWindow(hParent)) Unload();
}

void Nerlo_R::Unload() {
    if (bUnloaded) return;
    bUnloaded = true;
    Form_Unload();
    port.UnloadForm();
}

void Nerlo_R::Form_Unload() { ApiResult = port.PostMessageA(hForm, WM_CLOSE_MESSAGE, 0, 0); }

}  // namespace Nerlo_B
