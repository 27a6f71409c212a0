// The decoded picture both BMP readers hand to the texture loaders.
#pragma once
#include <cstdint>

struct RgbImage {
    int32_t nWidth = 0;    // pixels
    int32_t nHeight = 0;   // as stored in the file (the output is always bottom-up)
    uint8_t* pData = nullptr;  // 3 x width x |height| bytes, R G B, rows unpadded, bottom row first
};

// Releases the pixel block and the record (both made by ReadDibFile).
void FreeRgbImage(RgbImage* pImage);
