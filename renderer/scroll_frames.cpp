// Shifts whole rows at a time, however large the step: in place (one rotation per row for the columns,
// one rotation of the block for the rows), or as a copy (two block copies per row). The precomputed layers
// make 512 frames at start-up, each one copy from the picture, so this must stay cheap.
#include "renderer/scroll_frames.h"

#include <algorithm>
#include <cstring>

namespace {

// The step as a rotation toward higher positions, in 0 .. nLength - 1.
size_t ForwardSteps(int nStep, int nLength) {
    const long long nMod = static_cast<long long>(nStep) % nLength;
    return static_cast<size_t>(nMod < 0 ? nMod + nLength : nMod);
}

}  // namespace

void ShiftPictureCyclic(uint8_t* pPixels, int nWidth, int nHeight, int nPixelBytes, int nDx, int nDy) {
    if (!pPixels || nWidth <= 0 || nHeight <= 0 || nPixelBytes <= 0) return;
    const size_t nRowBytes = static_cast<size_t>(nWidth) * nPixelBytes;
    const size_t nColumnShift = ForwardSteps(nDx, nWidth) * nPixelBytes;
    if (nColumnShift) {
        for (int y = 0; y < nHeight; ++y) {
            uint8_t* pRow = pPixels + nRowBytes * y;
            std::rotate(pRow, pRow + nRowBytes - nColumnShift, pRow + nRowBytes);
        }
    }
    const size_t nRowShift = ForwardSteps(nDy, nHeight) * nRowBytes;
    if (nRowShift) {
        uint8_t* pEnd = pPixels + nRowBytes * nHeight;
        std::rotate(pPixels, pEnd - nRowShift, pEnd);
    }
}

void CopyPictureShifted(const uint8_t* pSource, size_t nSourceStride, uint8_t* pTarget, int nWidth, int nHeight,
                        int nPixelBytes, int nDx, int nDy) {
    if (!pSource || !pTarget || nWidth <= 0 || nHeight <= 0 || nPixelBytes <= 0) return;
    const size_t nRowBytes = static_cast<size_t>(nWidth) * nPixelBytes;
    // Target column x takes source column x - dx: the row's tail comes first, then its head.
    const size_t nTail = ForwardSteps(nDx, nWidth) * nPixelBytes;
    const size_t nHead = nRowBytes - nTail;
    const size_t nRowShift = ForwardSteps(nDy, nHeight);
    size_t nFrom = static_cast<size_t>(nHeight) - nRowShift;
    if (nFrom == static_cast<size_t>(nHeight)) nFrom = 0;
    for (int y = 0; y < nHeight; ++y) {
        const uint8_t* pRow = pSource + nSourceStride * nFrom;
        uint8_t* pOut = pTarget + nRowBytes * y;
        std::memcpy(pOut, pRow + nHead, nTail);
        std::memcpy(pOut + nTail, pRow, nHead);
        if (++nFrom == static_cast<size_t>(nHeight)) nFrom = 0;
    }
}
