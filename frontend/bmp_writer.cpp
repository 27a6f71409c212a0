#include "frontend/bmp_writer.h"

namespace Nerlo_B {
namespace {

void PutLe(std::vector<std::uint8_t>& aOut, std::uint64_t nValue, int nBytes) {
    for (int i = 0; i < nBytes; ++i) aOut.push_back(static_cast<std::uint8_t>(nValue >> (8 * i)));
}

}  // namespace

std::size_t Bmp24RowStride(std::int32_t nWidth) {
    return nWidth <= 0 ? 0 : (static_cast<std::size_t>(nWidth) * 3 + 3) / 4 * 4;
}

std::vector<std::uint8_t> MakeBmp24(std::int32_t nWidth, std::int32_t nHeight,
                                    const std::vector<std::uint8_t>& aBottomUpRows) {
    // Texture pictures are small; the limit keeps every size field well inside 32 bits.
    constexpr std::int32_t kMaxSide = 16384;
    if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxSide || nHeight > kMaxSide) return {};
    const std::uint64_t nImageBytes = static_cast<std::uint64_t>(Bmp24RowStride(nWidth)) * nHeight;
    if (aBottomUpRows.size() != nImageBytes) return {};

    std::vector<std::uint8_t> aFile;
    aFile.reserve(kBmpHeaderBytes + aBottomUpRows.size());
    // BITMAPFILEHEADER
    aFile.push_back('B');
    aFile.push_back('M');
    PutLe(aFile, kBmpHeaderBytes + nImageBytes, 4);  // bfSize
    PutLe(aFile, 0, 4);                              // bfReserved1, bfReserved2
    PutLe(aFile, kBmpHeaderBytes, 4);                // bfOffBits
    // BITMAPINFOHEADER; a positive height means bottom-up
    PutLe(aFile, 40, 4);
    PutLe(aFile, static_cast<std::uint32_t>(nWidth), 4);
    PutLe(aFile, static_cast<std::uint32_t>(nHeight), 4);
    PutLe(aFile, 1, 2);            // biPlanes
    PutLe(aFile, 24, 2);           // biBitCount
    PutLe(aFile, 0, 4);            // biCompression = BI_RGB
    PutLe(aFile, nImageBytes, 4);  // biSizeImage
    PutLe(aFile, 0, 4);            // biXPelsPerMeter
    PutLe(aFile, 0, 4);            // biYPelsPerMeter
    PutLe(aFile, 0, 4);            // biClrUsed
    PutLe(aFile, 0, 4);            // biClrImportant
    aFile.insert(aFile.end(), aBottomUpRows.begin(), aBottomUpRows.end());
    return aFile;
}

}  // namespace Nerlo_B
