// The cyclic shift that turns one picture into the frames of a scrolling texture.
#pragma once
#include <cstddef>
#include <cstdint>

// Rotates nHeight rows of nWidth pixels (nPixelBytes each, rows packed without padding) in place:
// nDx columns toward the last column and nDy rows toward the last row; negative steps go the other way.
// Pixels pushed off one edge come back at the other, so repeated shifts scroll seamlessly.
void ShiftPictureCyclic(uint8_t* pPixels, int nWidth, int nHeight, int nPixelBytes, int nDx, int nDy);

// The same shift made as a copy: pTarget (rows packed) receives the picture at pSource (rows
// nSourceStride bytes apart, which may be padded) moved by nDx columns and nDy rows with wrap-around.
// Each frame of a scroll is one such copy from the picture itself, however far it has moved.
void CopyPictureShifted(const uint8_t* pSource, size_t nSourceStride, uint8_t* pTarget, int nWidth, int nHeight,
                        int nPixelBytes, int nDx, int nDy);
