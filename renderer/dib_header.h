// The DIB header as the BMP reader sees it, and the check that a DIB held in memory is whole before
// anything reads its colour table or pixels. Both readers (the GDI one and the portable decoder) start
// here, so a file that lies about itself is refused the same way on every platform.
#pragma once
#include <cstddef>
#include <cstdint>

// Compression values of the 40-byte info header that the reader converts.
enum : uint32_t { kDibRgb = 0, kDibRle8 = 1, kDibRle4 = 2, kDibBitFields = 3 };

// The ten fields of a 40-byte info header. A 12-byte core header fills in width and height (16-bit,
// unsigned), planes and bit count; the rest stays 0.
struct DibHeader {
    uint32_t nSize = 0;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    uint16_t nPlanes = 0;
    uint16_t nBitCount = 0;
    uint32_t nCompression = 0;
    uint32_t nSizeImage = 0;
    int32_t nXPelsPerMeter = 0;
    int32_t nYPelsPerMeter = 0;
    uint32_t nClrUsed = 0;
    uint32_t nClrImportant = 0;
};

// Entries of the colour table after the header: colours used when a 40-byte header gives it, else 2, 16
// or 256 for 1, 4 or 8 bits and 0 for the others. The count is 16-bit, as the file format has it.
uint16_t DibColorCount(const DibHeader& header);

enum class DibResult { kOk, kUnknownFormat, kConversionError, kOutOfMemory };

// The text the reader shows for a failure ("Unknown DIB file format." and so on); null for kOk.
const char* DibResultMessage(DibResult eResult);

// A checked DIB. Offsets count from the start of the buffer; every range named here lies inside it.
struct DibLayout {
    DibHeader header;                 // as stored, core fields widened
    size_t nHeaderOffset = 0;         // 14 after "BM", 0 for a bare DIB
    size_t nColorTableOffset = 0;
    uint32_t nColorEntrySize = 4;     // 3 after a core header
    uint32_t nColors = 0;             // DibColorCount: entries the file holds
    uint32_t nPaletteEntries = 0;     // entries a pixel index can reach (0 above 8 bits)
    bool bMasksInFile = false;        // BI_BITFIELDS: three masks follow the 40-byte header
    uint32_t anMasks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits (the defaults for BI_RGB)
    size_t nBitsOffset = 0;
    size_t nBitsSize = 0;             // bytes the pixel decoder may read from nBitsOffset
    int32_t nWidth = 0;
    int32_t nRows = 0;                // |height|
    bool bTopDown = false;
};

// Largest decoded picture accepted (3 bytes a pixel); far above any texture the renderer can use, far
// below what a lying header could make us allocate.
constexpr uint64_t kDibMaxRgbBytes = 256u << 20;

// Reads and checks the DIB in nSize bytes at pData: a "BM" file or a bare DIB with a 12- or 40-byte
// header, 1/4/8/16/24/32 bits, BI_RGB, RLE8, RLE4 or BI_BITFIELDS (16 and 32 bits).
DibResult ParseDib(const uint8_t* pData, size_t nSize, DibLayout& layout);
