// The texture loaders: one texture from any DIB, or a whole scrolling animation from one 24-bit BMP.
#include "renderer/textures.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "renderer/scroll_frames.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};

struct ImageFreer {
    void operator()(RgbImage* pImage) const { FreeRgbImage(pImage); }
};

// Sets the unpack alignment for one upload of packed rows and puts the caller's value back afterwards.
class CUnpackAlignment {
public:
    explicit CUnpackAlignment(GLint nAlignment) {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &nSaved);
        glPixelStorei(GL_UNPACK_ALIGNMENT, nAlignment);
    }
    ~CUnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, nSaved); }
    CUnpackAlignment(const CUnpackAlignment&) = delete;
    CUnpackAlignment& operator=(const CUnpackAlignment&) = delete;

private:
    GLint nSaved = 4;
};

constexpr size_t kBmpHeadersSize = 54;
// Far above the 256 x 256 pictures the front-end writes; 256 frames of a larger one would not fit anyway.
constexpr int32_t kMaxScrollSide = 4096;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The picture of an uncompressed bottom-up 24-bit BMP with a 40-byte header and its pixels at byte 54,
// as packed B G R rows, bottom row first; null for any other file.
std::unique_ptr<uint8_t[]> ReadRawBgrPicture(const char* pszPath, int32_t& nWidth, int32_t& nHeight) {
    std::unique_ptr<std::FILE, FileCloser> pFile(std::fopen(pszPath, "rb"));
    if (!pFile) return nullptr;
    uint8_t aHeaders[kBmpHeadersSize];
    if (std::fread(aHeaders, 1, sizeof aHeaders, pFile.get()) != sizeof aHeaders) return nullptr;
    nWidth = static_cast<int32_t>(ReadU32(aHeaders + 18));
    nHeight = static_cast<int32_t>(ReadU32(aHeaders + 22));
    if (aHeaders[0] != 'B' || aHeaders[1] != 'M' || ReadU32(aHeaders + 10) != kBmpHeadersSize ||
        ReadU32(aHeaders + 14) != 40 || ReadU16(aHeaders + 26) != 1 || ReadU16(aHeaders + 28) != 24 ||
        ReadU32(aHeaders + 30) != 0 || nWidth <= 0 || nWidth > kMaxScrollSide || nHeight <= 0 ||
        nHeight > kMaxScrollSide)
        return nullptr;
    const size_t nRowBytes = static_cast<size_t>(nWidth) * 3;
    const size_t nStride = (nRowBytes + 3) & ~size_t(3);
    std::unique_ptr<uint8_t[]> pPixels(new (std::nothrow) uint8_t[nRowBytes * nHeight]);
    if (!pPixels) return nullptr;
    // Rows are padded to 4 bytes in the file; the working buffer keeps them packed.
    uint8_t aPadding[3];
    for (int32_t y = 0; y < nHeight; ++y) {
        if (std::fread(pPixels.get() + nRowBytes * y, 1, nRowBytes, pFile.get()) != nRowBytes) return nullptr;
        const size_t nPad = nStride - nRowBytes;
        if (nPad && y + 1 < nHeight && std::fread(aPadding, 1, nPad, pFile.get()) != nPad) return nullptr;
    }
    return pPixels;
}

}  // namespace

RgbImage* LoadBmpImage(const char* pszPath) {
    if (!pszPath) return nullptr;
    std::FILE* pFile = std::fopen(pszPath, "r");
    if (!pFile) return nullptr;
    std::fclose(pFile);
    return ReadDibFile(pszPath);
}

bool LoadRgbTexture(const char* pszPath, GLuint& nName, GLint nWrapS, GLint nWrapT) {
    std::unique_ptr<RgbImage, ImageFreer> pImage(LoadBmpImage(pszPath));
    if (!pImage) return false;
    glGenTextures(1, &nName);
    glBindTexture(GL_TEXTURE_2D, nName);
    {
        const CUnpackAlignment alignment(1);
        // The rows are bottom-up whatever the file stored, so the height is taken without its sign.
        const GLsizei nRows = pImage->nHeight < 0 ? -pImage->nHeight : pImage->nHeight;
        glTexImage2D(GL_TEXTURE_2D, 0, 3, pImage->nWidth, nRows, 0, GL_RGB, GL_UNSIGNED_BYTE, pImage->pData);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, nWrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, nWrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

bool LoadScrollTextures(const char* pszPath, GLuint* pnNames, int nCount, int nDx, int nDy) {
    if (!pszPath || !pnNames || nCount <= 0) return false;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    std::unique_ptr<uint8_t[]> pPixels = ReadRawBgrPicture(pszPath, nWidth, nHeight);
    if (!pPixels) return false;
    glGenTextures(nCount, pnNames);
    const CUnpackAlignment alignment(1);
    // The shifts accumulate: frame k is the picture moved by k + 1 steps, so the last of a full cycle is
    // the picture itself.
    for (int k = 0; k < nCount; ++k) {
        ShiftPictureCyclic(pPixels.get(), nWidth, nHeight, 3, nDx, nDy);
        glBindTexture(GL_TEXTURE_2D, pnNames[k]);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, nWidth, nHeight, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, pPixels.get());
    }
    return true;
}
