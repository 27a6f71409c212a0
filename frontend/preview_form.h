// The preview form Nerlo_R: a still of the animation inside the small monitor of the Display
// Properties dialog, made a child of the window whose handle came on the "/p" command line.
#pragma once

#include <cstdint>

#include "frontend/preview_port.h"

namespace Nerlo_B {

// Not one of the instance markers: any number of previews may exist at once.
inline constexpr char kPreviewFormCaption[] = "Preview Window";

// How often the form looks whether its parent still exists.
inline constexpr std::uint32_t kParentWatchMs = 250;

// The form's place computed from the parent's window rectangle.
struct PreviewGeometry {
    // Twips, kept in 16 bits as the form's properties are: a size that does not fit stays 0.
    std::int16_t nLeft = 0;
    std::int16_t nTop = 0;
    std::int16_t nWidth = 0;
    std::int16_t nHeight = 0;
    // Img_Prev's size in pixels: the form's size back in the form's own unit.
    std::int32_t nImageWidth = 0;
    std::int32_t nImageHeight = 0;
};

PreviewGeometry PreviewGeometryFor(const WindowRect& parent, int nTwipsPerPixelX, int nTwipsPerPixelY);

class Nerlo_R {
public:
    // ApiResult is the process-wide one of FrontEndState.
    Nerlo_R(CPreviewPort& portIn, std::int32_t& ApiResultIn) : port(portIn), ApiResult(ApiResultIn) {}

    // Builds the form inside the window of the 32-bit handle and shows it; every step runs whatever
    // the one before gave. False when the form's window could not be made, so nothing is left to
    // keep the process alive.
    bool Build(std::int32_t nParentHandle);

    // The host ended the preview by destroying the parent without closing the form first.
    void ParentWatch_Timer();
    // Every way the form goes away: its unload handler, then the window.
    void Unload();

private:
    void Form_Unload();

    CPreviewPort& port;
    std::int32_t& ApiResult;
    WindowHandle hParent = 0;
    WindowHandle hForm = 0;
    bool bUnloaded = false;
};

}  // namespace Nerlo_B
