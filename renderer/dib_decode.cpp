// Converts a checked DIB into 24-bit RGB rows the way GDI converts it into a 24-bit section.
#include "renderer/dib_decode.h"

#include <new>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// A colour table widened to 256 entries; the entries the file does not give stay black, which is what a
// pixel index past the table shows.
struct Palette {
    Rgb aEntries[256] = {};

    Palette(const uint8_t* pData, const DibLayout& layout) {
        const uint8_t* p = pData + layout.nColorTableOffset;
        for (uint32_t i = 0; i < layout.nPaletteEntries; ++i, p += layout.nColorEntrySize)
            aEntries[i] = Rgb{p[2], p[1], p[0]};
    }
};

// One colour field of a 16- or 32-bit pixel. Fields up to 8 bits are scaled to 0..255 with rounding, so
// 5-bit white is 255; wider fields keep their top 8 bits.
class CMaskField {
public:
    explicit CMaskField(uint32_t nMask) : nMask(nMask) {
        if (!nMask) return;
        while (!((nMask >> nShift) & 1)) ++nShift;
        unsigned nTop = 31;
        while (!((nMask >> nTop) & 1)) --nTop;
        nBits = nTop - nShift + 1;
        nMax = static_cast<uint32_t>((uint64_t(1) << nBits) - 1);
    }

    uint8_t Value(uint32_t nPixel) const {
        if (!nMask) return 0;
        const uint32_t nField = (nPixel & nMask) >> nShift;
        if (nBits > 8) return static_cast<uint8_t>(nField >> (nBits - 8));
        return static_cast<uint8_t>((nField * 255 + nMax / 2) / nMax);
    }

private:
    uint32_t nMask;
    unsigned nShift = 0;
    unsigned nBits = 0;
    uint32_t nMax = 1;
};

void Put(uint8_t* pOut, Rgb colour) {
    pOut[0] = colour.r;
    pOut[1] = colour.g;
    pOut[2] = colour.b;
}

void DecodeIndexedRow(const uint8_t* pRow, unsigned nBitCount, int32_t nWidth, const Palette& palette,
                      uint8_t* pOut) {
    for (int32_t x = 0; x < nWidth; ++x, pOut += 3) {
        unsigned nIndex;
        if (nBitCount == 8) {
            nIndex = pRow[x];
        } else if (nBitCount == 4) {
            const uint8_t nByte = pRow[x >> 1];
            nIndex = (x & 1) ? (nByte & 0x0F) : (nByte >> 4);
        } else {
            nIndex = (pRow[x >> 3] >> (7 - (x & 7))) & 1;
        }
        Put(pOut, palette.aEntries[nIndex]);
    }
}

void DecodeMaskedRow(const uint8_t* pRow, unsigned nBitCount, int32_t nWidth, const CMaskField (&aFields)[3],
                     uint8_t* pOut) {
    for (int32_t x = 0; x < nWidth; ++x, pOut += 3) {
        uint32_t nPixel;
        if (nBitCount == 16) {
            nPixel = pRow[2 * x] | (pRow[2 * x + 1] << 8);
        } else {
            const uint8_t* p = pRow + 4 * x;
            nPixel = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
        Put(pOut, Rgb{aFields[0].Value(nPixel), aFields[1].Value(nPixel), aFields[2].Value(nPixel)});
    }
}

void DecodeUncompressed(const uint8_t* pData, const DibLayout& layout, uint8_t* pRgb) {
    const unsigned nBitCount = layout.header.nBitCount;
    const size_t nStride = (static_cast<size_t>(layout.nWidth) * nBitCount + 31) / 32 * 4;
    const size_t nOutRow = static_cast<size_t>(layout.nWidth) * 3;
    const Palette palette(pData, layout);
    const CMaskField aFields[3] = {CMaskField(layout.anMasks[0]), CMaskField(layout.anMasks[1]),
                                   CMaskField(layout.anMasks[2])};
    for (int32_t nRow = 0; nRow < layout.nRows; ++nRow) {
        const uint8_t* pRow = pData + layout.nBitsOffset + nStride * nRow;
        // Output row 0 is the bottom row; a top-down file stores the top row first.
        const int32_t nOut = layout.bTopDown ? layout.nRows - 1 - nRow : nRow;
        uint8_t* pOut = pRgb + nOutRow * nOut;
        if (nBitCount <= 8) {
            DecodeIndexedRow(pRow, nBitCount, layout.nWidth, palette, pOut);
        } else if (nBitCount == 24) {
            for (int32_t x = 0; x < layout.nWidth; ++x)
                Put(pOut + 3 * x, Rgb{pRow[3 * x + 2], pRow[3 * x + 1], pRow[3 * x]});
        } else {
            DecodeMaskedRow(pRow, nBitCount, layout.nWidth, aFields, pOut);
        }
    }
}

// RLE8 and RLE4 streams. Pixels past the right edge are dropped and the stream ends at the top row,
// at its end-of-picture code or at the end of its bytes, whichever comes first.
void DecodeRunLength(const uint8_t* pData, const DibLayout& layout, uint8_t* pRgb) {
    const bool bRle4 = layout.header.nCompression == kDibRle4;
    const Palette palette(pData, layout);
    const uint8_t* p = pData + layout.nBitsOffset;
    const uint8_t* const pEnd = p + layout.nBitsSize;
    const size_t nOutRow = static_cast<size_t>(layout.nWidth) * 3;
    int64_t x = 0;
    int64_t y = 0;
    auto Plot = [&](unsigned nIndex) {
        if (x < layout.nWidth) Put(pRgb + nOutRow * y + 3 * x, palette.aEntries[nIndex]);
        ++x;
    };
    while (y < layout.nRows && pEnd - p >= 2) {
        const unsigned nCount = p[0];
        const unsigned nValue = p[1];
        p += 2;
        if (nCount) {
            for (unsigned i = 0; i < nCount; ++i)
                Plot(bRle4 ? ((i & 1) ? (nValue & 0x0F) : (nValue >> 4)) : nValue);
        } else if (nValue == 0) {
            x = 0;
            ++y;
        } else if (nValue == 1) {
            break;
        } else if (nValue == 2) {
            if (pEnd - p < 2) break;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            size_t nBytes = bRle4 ? (nValue + 1) / 2 : nValue;
            const bool bWhole = static_cast<size_t>(pEnd - p) >= nBytes;
            if (!bWhole) nBytes = static_cast<size_t>(pEnd - p);
            const unsigned nPixels = bRle4 ? static_cast<unsigned>(nBytes * 2 < nValue ? nBytes * 2 : nValue)
                                           : static_cast<unsigned>(nBytes);
            for (unsigned i = 0; i < nPixels; ++i)
                Plot(bRle4 ? ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) : p[i]);
            if (!bWhole) break;
            // Absolute runs are padded to a 16-bit boundary.
            p += nBytes;
            if ((nBytes & 1) && p < pEnd) ++p;
        }
    }
}

}  // namespace

void DecodeDibPixels(const uint8_t* pData, const DibLayout& layout, uint8_t* pRgb) {
    const uint32_t nCompression = layout.header.nCompression;
    if (nCompression == kDibRle8 || nCompression == kDibRle4)
        DecodeRunLength(pData, layout, pRgb);
    else
        DecodeUncompressed(pData, layout, pRgb);
}

RgbImage* NewRgbImage(int32_t nWidth, int32_t nHeight, int32_t nRows) {
    if (nWidth <= 0 || nRows <= 0) return nullptr;
    const uint64_t nBytes = static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nRows) * 3;
    if (nBytes > kDibMaxRgbBytes) return nullptr;
    RgbImage* pImage = new (std::nothrow) RgbImage;
    if (!pImage) return nullptr;
    pImage->pData = new (std::nothrow) uint8_t[static_cast<size_t>(nBytes)]();
    if (!pImage->pData) {
        delete pImage;
        return nullptr;
    }
    pImage->nWidth = nWidth;
    pImage->nHeight = nHeight;
    return pImage;
}

void FreeRgbImage(RgbImage* pImage) {
    if (!pImage) return;
    delete[] pImage->pData;
    delete pImage;
}

RgbImage* DecodeDib(const uint8_t* pData, size_t nSize, DibResult& eResult) {
    DibLayout layout;
    eResult = ParseDib(pData, nSize, layout);
    if (eResult != DibResult::kOk) return nullptr;
    RgbImage* pImage = NewRgbImage(layout.nWidth, layout.header.nHeight, layout.nRows);
    if (!pImage) {
        eResult = DibResult::kOutOfMemory;
        return nullptr;
    }
    DecodeDibPixels(pData, layout, pImage->pData);
    return pImage;
}
