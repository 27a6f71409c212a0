// The DIB reader over any bytes: parse, check and decode as the renderer's texture loader does. A
// file it accepts must come out as a whole picture of the size its header promises; one it refuses
// must be refused with one of the reader's own messages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "renderer/dib_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    DibResult eResult = DibResult::kOk;
    RgbImage* pImage = DecodeDib(pData, nSize, eResult);
    if (!pImage) {
        if (eResult == DibResult::kOk || !DibResultMessage(eResult)) std::abort();
        return 0;
    }
    DibLayout layout;
    if (ParseDib(pData, nSize, layout) != DibResult::kOk) std::abort();
    const int64_t nRows = pImage->nHeight < 0 ? -int64_t(pImage->nHeight) : int64_t(pImage->nHeight);
    if (pImage->nWidth != layout.nWidth || nRows != layout.nRows || pImage->nWidth <= 0 || nRows <= 0)
        std::abort();
    const uint64_t nBytes = uint64_t(uint32_t(pImage->nWidth)) * uint64_t(nRows) * 3;
    if (nBytes > kDibMaxRgbBytes) std::abort();
    // Every byte of the picture is there and written (AddressSanitizer checks the reads).
    unsigned nSum = 0;
    for (uint64_t i = 0; i < nBytes; ++i) nSum += pImage->pData[i];
    volatile unsigned nSink = nSum;
    (void)nSink;
    FreeRgbImage(pImage);
    return 0;
}
