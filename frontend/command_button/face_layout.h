// Where the face painter puts things on a Command button: the gradient's two vertices, the eight
// frame slices cut from a skin picture, and the caption's place. Pure geometry, no drawing.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace Nerlo_Command {

// 16-bit channels as the gradient vertex takes them (the 8-bit value in the high byte).
struct GradientColour {
    std::uint16_t nRed = 0, nGreen = 0, nBlue = 0, nAlpha = 0;
};

// "&HFFFFFF"-style text read as R, G, B in reading order, each into the high byte of its channel.
GradientColour GradientColourOf(std::string_view sHexText);

inline constexpr char kLightColour[] = "&HFFFFFF";
inline constexpr char kDarkColour[] = "&HC6C5D7";

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    }
};

// One border slice: source inside the 64 x 25 skin, destination on the surface; twips and pixels.
struct Slice {
    Rect source, destination;              // twips
    Rect sourcePixels, destinationPixels;  // at 15 twips per pixel
};

struct FaceLayout {
    GradientColour top, bottom;
    int nGradientRight = 0, nGradientBottom = 0;  // vertex 1 in pixels; vertex 0 is (0, 0)
    // Slices in drawing order; a slice whose destination has no room is left out (nSlices smaller).
    std::array<Slice, 8> aSlices{};
    int nSlices = 0;
    double fCaptionTop = 0;  // twips
    int nCaptionWidth = 0;   // twips
};

inline constexpr int kTwipsPerPixel = 15;

// Inversion flag after a paint in this state: Normal and Selected clear it, HighLight sets it, the
// others (0, HighLightSelect) keep what the last paint left.
bool InversionAfter(std::uint8_t nState, bool bInverted);

// The face of a button nWidth x nHeight twips whose caption label is nLabelHeight twips high.
// Below 120 twips the edge slices have no room and are left out; the corners still go on, clipped
// by the surface, so a tiny button shows at least its outline.
FaceLayout LayoutFace(int nWidth, int nHeight, int nLabelHeight, bool bInverted);

}  // namespace Nerlo_Command
