// The portable DIB decoder: the same 24-bit bottom-up rows that GDI's SetDIBits writes into a 24-bit
// DIB section, without GDI, for the platforms that have none.
#pragma once
#include <cstddef>
#include <cstdint>

#include "renderer/dib_header.h"
#include "renderer/rgb_image.h"

// Writes the checked DIB's pixels as R G B rows, bottom row first, no padding, into pRgb
// (3 x nWidth x nRows bytes). Run-length pixels the stream leaves undefined come out black, as do palette
// indices past the colour table.
void DecodeDibPixels(const uint8_t* pData, const DibLayout& layout, uint8_t* pRgb);

// A record with a zeroed pixel block of 3 x nWidth x nRows bytes, or null when memory runs out.
RgbImage* NewRgbImage(int32_t nWidth, int32_t nHeight, int32_t nRows);

// Parses, checks and decodes the DIB in the buffer; null (with eResult saying why) when it cannot.
RgbImage* DecodeDib(const uint8_t* pData, size_t nSize, DibResult& eResult);
