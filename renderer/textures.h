// The renderer's texture files: the general BMP reader and the two texture loaders.
#pragma once
#include <cstddef>
#include <cstdint>

#include "renderer/gl.h"
#include "renderer/rgb_image.h"

// The picture in a BMP file or bare DIB as bottom-up RGB rows, or null (after a reader message for a
// file that opened but could not be converted). The caller frees the result with FreeRgbImage.
RgbImage* ReadDibFile(const char* pszPath);

// ReadDibFile for a file the C runtime can open; null without any message when it cannot.
RgbImage* LoadBmpImage(const char* pszPath);

// What a loader made of a picture file.
enum class TextureLoad {
    kMade,         // the textures hold the picture
    kUnreadable,   // the file could not be opened or read (missing, locked, no right): no message
    kNotAPicture,  // the file was read but the loader does not accept it (the reader's message, if any)
};

// One texture from a picture; false (and nName untouched) when the file cannot be read.
bool LoadRgbTexture(const char* pszPath, GLuint& nName, GLint nWrapS, GLint nWrapT);
TextureLoad LoadRgbTextureFile(const char* pszPath, GLuint& nName, GLint nWrapS, GLint nWrapT);
// The same from a whole BMP file held in memory, decoded without any message.
bool LoadRgbTextureBytes(const uint8_t* pBytes, size_t nSize, GLuint& nName, GLint nWrapS, GLint nWrapT);

// nCount textures from one uncompressed bottom-up 24-bit BMP, each shifted cyclically by one more
// (nDx columns, nDy rows); false (no names generated) when the file is missing or not such a BMP.
bool LoadScrollTextures(const char* pszPath, GLuint* pnNames, int nCount, int nDx, int nDy);
TextureLoad LoadScrollTexturesFile(const char* pszPath, GLuint* pnNames, int nCount, int nDx, int nDy);
// The same from a whole BMP file held in memory.
bool LoadScrollTexturesBytes(const uint8_t* pBytes, size_t nSize, GLuint* pnNames, int nCount, int nDx, int nDy);

// One texture holding such a BMP's picture as stored (for a layer the texture matrix scrolls), and its
// size; the same files are taken and refused as by the scroll loaders. nName, nWidth and nHeight are
// left untouched when nothing was made.
TextureLoad LoadScrollPictureFile(const char* pszPath, GLuint& nName, int& nWidth, int& nHeight);
bool LoadScrollPictureBytes(const uint8_t* pBytes, size_t nSize, GLuint& nName, int& nWidth, int& nHeight);
