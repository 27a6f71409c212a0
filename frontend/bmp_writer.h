// The texture pictures as the renderer reads them raw: 24 bits per pixel, bottom-up, uncompressed,
// a 14-byte file header and a 40-byte information header, no colour table, pixels from byte 54.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Nerlo_B {

inline constexpr std::size_t kBmpHeaderBytes = 54;

// Bytes of one pixel row, padded to a multiple of four.
std::size_t Bmp24RowStride(std::int32_t nWidth);

// The whole file for a picture whose pixels are given as GetDIBits gives them for a 24-bit
// bottom-up DIB: blue-green-red, rows bottom first, each padded to Bmp24RowStride. Empty when the
// size is not positive or the pixels do not match it.
std::vector<std::uint8_t> MakeBmp24(std::int32_t nWidth, std::int32_t nHeight,
                                    const std::vector<std::uint8_t>& aBottomUpRows);

}  // namespace Nerlo_B
