// Parses a DIB held in memory and checks every offset and size against the buffer before use.
#include "renderer/dib_header.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kMaskBytes = 12;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ReadS32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

// True when [nOffset, nOffset + nLength) lies inside a buffer of nSize bytes (without overflow).
bool Fits(size_t nOffset, uint64_t nLength, size_t nSize) {
    return nOffset <= nSize && nLength <= static_cast<uint64_t>(nSize - nOffset);
}

bool IsSupportedBitCount(uint16_t nBitCount) {
    switch (nBitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: return true;
        default: return false;
    }
}

// The compression must be one GDI converts for this bit count.
bool IsSupportedCompression(uint32_t nCompression, uint16_t nBitCount) {
    switch (nCompression) {
        case kDibRgb: return true;
        case kDibRle8: return nBitCount == 8;
        case kDibRle4: return nBitCount == 4;
        case kDibBitFields: return nBitCount == 16 || nBitCount == 32;
        default: return false;
    }
}

}  // namespace

uint16_t DibColorCount(const DibHeader& header) {
    unsigned nBitCount = header.nBitCount;
    if (header.nSize != kCoreHeaderSize && header.nClrUsed != 0)
        return static_cast<uint16_t>(header.nClrUsed);
    switch (nBitCount) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

const char* DibResultMessage(DibResult eResult) {
    switch (eResult) {
        case DibResult::kOk: return nullptr;
        case DibResult::kUnknownFormat: return "Unknown DIB file format.";
        case DibResult::kOutOfMemory: return "Out of memory.";
        case DibResult::kConversionError: break;
    }
    return "Image file conversion error.";
}

DibResult ParseDib(const uint8_t* pData, size_t nSize, DibLayout& layout) {
    layout = DibLayout();
    if (!pData) return DibResult::kConversionError;
    const bool bFile = nSize >= 2 && pData[0] == 'B' && pData[1] == 'M';
    layout.nHeaderOffset = bFile ? kFileHeaderSize : 0;
    if (!Fits(layout.nHeaderOffset, 4, nSize)) return DibResult::kConversionError;

    DibHeader& header = layout.header;
    const uint8_t* pHeader = pData + layout.nHeaderOffset;
    header.nSize = ReadU32(pHeader);
    if (header.nSize != kCoreHeaderSize && header.nSize != kInfoHeaderSize) return DibResult::kUnknownFormat;
    if (!Fits(layout.nHeaderOffset, header.nSize, nSize)) return DibResult::kConversionError;
    if (header.nSize == kCoreHeaderSize) {
        header.nWidth = ReadU16(pHeader + 4);
        header.nHeight = ReadU16(pHeader + 6);
        header.nPlanes = ReadU16(pHeader + 8);
        header.nBitCount = ReadU16(pHeader + 10);
        layout.nColorEntrySize = 3;
    } else {
        header.nWidth = ReadS32(pHeader + 4);
        header.nHeight = ReadS32(pHeader + 8);
        header.nPlanes = ReadU16(pHeader + 12);
        header.nBitCount = ReadU16(pHeader + 14);
        header.nCompression = ReadU32(pHeader + 16);
        header.nSizeImage = ReadU32(pHeader + 20);
        header.nXPelsPerMeter = ReadS32(pHeader + 24);
        header.nYPelsPerMeter = ReadS32(pHeader + 28);
        header.nClrUsed = ReadU32(pHeader + 32);
        header.nClrImportant = ReadU32(pHeader + 36);
        layout.nColorEntrySize = 4;
    }

    // GDI wants one plane; a count that does not fit the 16-bit colour count is a lie, not a palette.
    if (header.nPlanes != 1 || !IsSupportedBitCount(header.nBitCount) ||
        !IsSupportedCompression(header.nCompression, header.nBitCount) || header.nClrUsed > 0xFFFF)
        return DibResult::kConversionError;
    if (header.nWidth <= 0 || header.nHeight == 0 || header.nHeight == INT32_MIN)
        return DibResult::kConversionError;
    const bool bRle = header.nCompression == kDibRle8 || header.nCompression == kDibRle4;
    layout.bTopDown = header.nHeight < 0;
    // Run-length data always runs bottom-up; Windows refuses a negative height with it.
    if (bRle && layout.bTopDown) return DibResult::kConversionError;
    layout.nWidth = header.nWidth;
    layout.nRows = layout.bTopDown ? -header.nHeight : header.nHeight;
    if (static_cast<uint64_t>(layout.nWidth) * static_cast<uint64_t>(layout.nRows) * 3 > kDibMaxRgbBytes)
        return DibResult::kConversionError;

    size_t nAfterHeader = layout.nHeaderOffset + header.nSize;
    if (header.nCompression == kDibBitFields) {
        if (!Fits(nAfterHeader, kMaskBytes, nSize)) return DibResult::kConversionError;
        layout.bMasksInFile = true;
        for (int i = 0; i < 3; ++i) {
            layout.anMasks[i] = ReadU32(pData + nAfterHeader + 4 * i);
            // GDI refuses a colour with no bits; refusing here keeps both readers alike.
            if (!layout.anMasks[i]) return DibResult::kConversionError;
        }
        nAfterHeader += kMaskBytes;
    } else if (header.nBitCount == 16) {
        layout.anMasks[0] = 0x7C00;
        layout.anMasks[1] = 0x03E0;
        layout.anMasks[2] = 0x001F;
    } else if (header.nBitCount == 32) {
        layout.anMasks[0] = 0x00FF0000;
        layout.anMasks[1] = 0x0000FF00;
        layout.anMasks[2] = 0x000000FF;
    }

    layout.nColors = DibColorCount(header);
    layout.nColorTableOffset = nAfterHeader;
    const uint64_t nColorTableBytes = static_cast<uint64_t>(layout.nColors) * layout.nColorEntrySize;
    if (!Fits(layout.nColorTableOffset, nColorTableBytes, nSize)) return DibResult::kConversionError;
    if (header.nBitCount <= 8) {
        const uint32_t nReachable = 1u << header.nBitCount;
        layout.nPaletteEntries = layout.nColors < nReachable ? layout.nColors : nReachable;
    }

    if (bFile) {
        const uint32_t nOffBits = ReadU32(pData + 10);
        // Pixels inside the headers would mean the offset lies.
        if (nOffBits < nAfterHeader) return DibResult::kConversionError;
        layout.nBitsOffset = nOffBits;
    } else {
        layout.nBitsOffset = layout.nColorTableOffset + static_cast<size_t>(nColorTableBytes);
    }
    if (layout.nBitsOffset > nSize) return DibResult::kConversionError;

    const size_t nAvailable = nSize - layout.nBitsOffset;
    if (bRle) {
        // The stream ends at its end-of-picture code; the image size only ever shortens it.
        layout.nBitsSize = header.nSizeImage != 0 && header.nSizeImage < nAvailable ? header.nSizeImage
                                                                                     : nAvailable;
    } else {
        const uint64_t nStride = (static_cast<uint64_t>(layout.nWidth) * header.nBitCount + 31) / 32 * 4;
        const uint64_t nBytes = nStride * static_cast<uint64_t>(layout.nRows);
        if (nBytes > nAvailable) return DibResult::kConversionError;
        layout.nBitsSize = static_cast<size_t>(nBytes);
    }
    return DibResult::kOk;
}
