// The product's own three texture pictures, built into the program: the very bytes the front-end
// writes as Nerlo01.bmp to Nerlo03.bmp. They let a program draw the real scene when no picture file
// can be written or read beside it.
#pragma once
#include <cstddef>

struct BuiltinPicture {
    const unsigned char* pBytes;  // a whole BMP file
    std::size_t nSize;
};

// Picture nNumber (1 the tint, 2 the glass sparkle, 3 the nebula); an empty picture for any other number.
BuiltinPicture GetBuiltinPicture(int nNumber);

// Writes picture nNumber to pszPath through a temporary name, so a reader never sees half a file;
// false (and no file left behind) when it cannot be written completely.
bool WriteBuiltinPicture(int nNumber, const char* pszPath);
