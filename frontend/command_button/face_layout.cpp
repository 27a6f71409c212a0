#include "frontend/command_button/face_layout.h"

#include <cmath>
#include <string>

namespace Nerlo_Command {

namespace {

constexpr int kLeft = 1, kTop = 1;
constexpr int kCornerW = 60, kCornerH = 60;
constexpr int kSkinW = 960, kSkinH = 375;
constexpr int kSkinMiddleW = kSkinW - 2 * kCornerW;  // 840
constexpr int kSkinMiddleH = kSkinH - 2 * kCornerH;  // 255

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// The run-time's twips-to-pixels conversion rounds half to even.
int PixelsOf(int nTwips) { return static_cast<int>(std::nearbyint(nTwips / double(kTwipsPerPixel))); }

Rect PixelsOf(const Rect& r) {
    // Edges are converted, not sizes, so neighbouring slices meet without a gap.
    const int x0 = PixelsOf(r.x), y0 = PixelsOf(r.y);
    return {x0, y0, PixelsOf(r.x + r.w) - x0, PixelsOf(r.y + r.h) - y0};
}

}  // namespace

GradientColour GradientColourOf(std::string_view sHexText) {
    if (sHexText.size() >= 2 && sHexText[0] == '&' && (sHexText[1] == 'H' || sHexText[1] == 'h'))
        sHexText.remove_prefix(2);
    std::string sDigits(sHexText);
    // A shorter value has leading zeros in its hexadecimal form.
    if (sDigits.size() < 6) sDigits.insert(0, 6 - sDigits.size(), '0');
    auto group = [&](int i) {
        return static_cast<std::uint16_t>((HexDigit(sDigits[2 * i]) * 16 + HexDigit(sDigits[2 * i + 1])) << 8);
    };
    return {group(0), group(1), group(2), 0};
}

bool InversionAfter(std::uint8_t nState, bool bInverted) {
    if (nState == 1 || nState == 3) return false;
    if (nState == 2) return true;
    return bInverted;
}

FaceLayout LayoutFace(int W, int H, int nLabelHeight, bool bInverted) {
    FaceLayout face;
    face.top = GradientColourOf(bInverted ? kDarkColour : kLightColour);
    face.bottom = GradientColourOf(bInverted ? kLightColour : kDarkColour);
    face.nGradientRight = PixelsOf(W) - 1;
    face.nGradientBottom = PixelsOf(H) - 1;

    const int nMiddleW = W - 2 * kCornerW, nMiddleH = H - 2 * kCornerH;
    const Slice aAll[8] = {
        {{0, 0, kCornerW, kCornerH}, {kLeft, kTop, kCornerW, kCornerH}, {}, {}},
        {{kCornerW, 1, kSkinMiddleW, kCornerH}, {kCornerW, kTop, nMiddleW, kCornerH}, {}, {}},
        {{kSkinW - kCornerW, 1, kCornerW, kCornerH}, {W - kCornerW, kTop, kCornerW, kCornerH}, {}, {}},
        {{kSkinW - kCornerW, kCornerH, kCornerW, kSkinMiddleH}, {W - kCornerW, kCornerH, kCornerW, nMiddleH}, {}, {}},
        {{kSkinW - kCornerW, kSkinH - kCornerH, kCornerW, kCornerH}, {W - kCornerW, H - kCornerH, kCornerW, kCornerH}, {}, {}},
        {{kCornerW, kSkinH - kCornerH, kSkinMiddleW, kCornerH}, {kCornerW, H - kCornerH, nMiddleW, kCornerH}, {}, {}},
        {{0, kSkinH - kCornerH, kCornerW, kCornerH}, {kLeft, H - kCornerH, kCornerW, kCornerH}, {}, {}},
        {{1, kCornerH, kCornerW, kSkinMiddleH}, {kLeft, kCornerH, kCornerW, nMiddleH}, {}, {}},
    };
    for (const Slice& s : aAll) {
        if (s.destination.w <= 0 || s.destination.h <= 0) continue;
        Slice out = s;
        out.sourcePixels = PixelsOf(s.source);
        out.destinationPixels = PixelsOf(s.destination);
        face.aSlices[face.nSlices++] = out;
    }
    face.fCaptionTop = (H - nLabelHeight - 20) / 2.0;
    face.nCaptionWidth = W;
    return face;
}

}  // namespace Nerlo_Command
