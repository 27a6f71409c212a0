// The texture loaders: one texture from any DIB, or a whole scrolling animation from one 24-bit BMP
// (or that BMP's one picture, for the texture matrix to scroll), each from a file or from memory.
#include "renderer/textures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "renderer/dib_decode.h"
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

// An uncompressed bottom-up 24-bit BMP with a 40-byte header and its pixels at byte 54: B G R rows,
// bottom row first, nStride bytes apart (the last row need not carry its padding).
struct RawBgrPicture {
    const uint8_t* pPixels = nullptr;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    size_t nStride = 0;
    size_t nFileBytes = 0;  // the bytes the picture needs from the start of the file
};

// Checks the headers; false for any other kind of file.
bool ParseRawBgrHeaders(const uint8_t* pHeaders, RawBgrPicture& picture) {
    const int32_t nWidth = static_cast<int32_t>(ReadU32(pHeaders + 18));
    const int32_t nHeight = static_cast<int32_t>(ReadU32(pHeaders + 22));
    if (pHeaders[0] != 'B' || pHeaders[1] != 'M' || ReadU32(pHeaders + 10) != kBmpHeadersSize ||
        ReadU32(pHeaders + 14) != 40 || ReadU16(pHeaders + 26) != 1 || ReadU16(pHeaders + 28) != 24 ||
        ReadU32(pHeaders + 30) != 0 || nWidth <= 0 || nWidth > kMaxScrollSide || nHeight <= 0 ||
        nHeight > kMaxScrollSide)
        return false;
    picture.nWidth = nWidth;
    picture.nHeight = nHeight;
    const size_t nRowBytes = static_cast<size_t>(nWidth) * 3;
    picture.nStride = (nRowBytes + 3) & ~size_t(3);
    picture.nFileBytes = kBmpHeadersSize + picture.nStride * static_cast<size_t>(nHeight - 1) + nRowBytes;
    return true;
}

// The picture in a whole BMP file held in memory; false when the bytes are not such a BMP or too few.
bool ParseRawBgrPicture(const uint8_t* pBytes, size_t nSize, RawBgrPicture& picture) {
    if (!pBytes || nSize < kBmpHeadersSize || !ParseRawBgrHeaders(pBytes, picture)) return false;
    if (nSize < picture.nFileBytes) return false;
    picture.pPixels = pBytes + kBmpHeadersSize;
    return true;
}

// The bytes of a raw 24-bit BMP file, as far as its picture reaches. kUnreadable when the file cannot
// be opened or a read fails; kNotAPicture when it is some other file or ends early.
TextureLoad ReadRawBgrFile(const char* pszPath, std::unique_ptr<uint8_t[]>& pBytes, size_t& nSize) {
    std::unique_ptr<std::FILE, FileCloser> pFile(pszPath ? std::fopen(pszPath, "rb") : nullptr);
    if (!pFile) return TextureLoad::kUnreadable;
    uint8_t aHeaders[kBmpHeadersSize];
    const size_t nGot = std::fread(aHeaders, 1, sizeof aHeaders, pFile.get());
    if (std::ferror(pFile.get())) return TextureLoad::kUnreadable;
    RawBgrPicture picture;
    if (nGot != sizeof aHeaders || !ParseRawBgrHeaders(aHeaders, picture)) return TextureLoad::kNotAPicture;
    pBytes.reset(new (std::nothrow) uint8_t[picture.nFileBytes]);
    if (!pBytes) return TextureLoad::kNotAPicture;
    std::memcpy(pBytes.get(), aHeaders, kBmpHeadersSize);
    const size_t nRest = picture.nFileBytes - kBmpHeadersSize;
    if (std::fread(pBytes.get() + kBmpHeadersSize, 1, nRest, pFile.get()) != nRest)
        return std::ferror(pFile.get()) ? TextureLoad::kUnreadable : TextureLoad::kNotAPicture;
    nSize = picture.nFileBytes;
    return TextureLoad::kMade;
}

// A picture wider or taller than the driver's largest texture is refused here rather than handed over:
// a driver may fail on such a size instead of reporting the error (llvmpipe overruns its stack).
bool FitsInATexture(int64_t nWidth, int64_t nHeight) {
    GLint nMaxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSide);
    return nWidth <= nMaxSide && nHeight <= nMaxSide;
}

// False (no texture made, nName untouched) for a picture the driver cannot hold.
bool UploadRgbTexture(const RgbImage& image, GLuint& nName, GLint nWrapS, GLint nWrapT) {
    // The rows are bottom-up whatever the file stored, so the height is taken without its sign.
    const int64_t nRows = image.nHeight < 0 ? -int64_t(image.nHeight) : int64_t(image.nHeight);
    if (!FitsInATexture(image.nWidth, nRows)) return false;
    glGenTextures(1, &nName);
    glBindTexture(GL_TEXTURE_2D, nName);
    {
        const CUnpackAlignment alignment(1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image.nWidth, static_cast<GLsizei>(nRows), 0, GL_RGB, GL_UNSIGNED_BYTE,
                     image.pData);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, nWrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, nWrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

// Frame k is the picture moved by k + 1 steps, copied straight from the picture, so the last frame of
// a full cycle is the picture itself.
bool UploadScrollTextures(const RawBgrPicture& picture, GLuint* pnNames, int nCount, int nDx, int nDy) {
    if (!FitsInATexture(picture.nWidth, picture.nHeight)) return false;
    const size_t nRowBytes = static_cast<size_t>(picture.nWidth) * 3;
    std::unique_ptr<uint8_t[]> pFrame(new (std::nothrow) uint8_t[nRowBytes * picture.nHeight]);
    if (!pFrame) return false;
    glGenTextures(nCount, pnNames);
    const CUnpackAlignment alignment(1);
    for (int k = 0; k < nCount; ++k) {
        // The products stay exact: |k + 1| <= nCount and |step| are ints; the copy reduces them.
        const long long nSteps = static_cast<long long>(k) + 1;
        CopyPictureShifted(picture.pPixels, picture.nStride, pFrame.get(), picture.nWidth, picture.nHeight, 3,
                           static_cast<int>((nSteps * nDx) % picture.nWidth),
                           static_cast<int>((nSteps * nDy) % picture.nHeight));
        glBindTexture(GL_TEXTURE_2D, pnNames[k]);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, picture.nWidth, picture.nHeight, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                     pFrame.get());
    }
    return true;
}

// The picture as stored: the scroll loader's one frame of no step.
bool UploadScrollPicture(const RawBgrPicture& picture, GLuint& nName, int& nWidth, int& nHeight) {
    GLuint nMade = 0;
    if (!UploadScrollTextures(picture, &nMade, 1, 0, 0)) return false;
    nName = nMade;
    nWidth = picture.nWidth;
    nHeight = picture.nHeight;
    return true;
}

}  // namespace

RgbImage* LoadBmpImage(const char* pszPath) {
    if (!pszPath) return nullptr;
    std::FILE* pFile = std::fopen(pszPath, "r");
    if (!pFile) return nullptr;
    std::fclose(pFile);
    return ReadDibFile(pszPath);
}

TextureLoad LoadRgbTextureFile(const char* pszPath, GLuint& nName, GLint nWrapS, GLint nWrapT) {
    // The runtime's open test, and a first byte read, tell a file that cannot be opened or read (no
    // message) from one the reader refuses. An empty file passes: the reader has its own answer for it.
    {
        std::unique_ptr<std::FILE, FileCloser> pFile(pszPath ? std::fopen(pszPath, "r") : nullptr);
        if (!pFile || (std::fgetc(pFile.get()) == EOF && std::ferror(pFile.get()))) return TextureLoad::kUnreadable;
    }
    std::unique_ptr<RgbImage, ImageFreer> pImage(ReadDibFile(pszPath));
    if (!pImage || !UploadRgbTexture(*pImage, nName, nWrapS, nWrapT)) return TextureLoad::kNotAPicture;
    return TextureLoad::kMade;
}

bool LoadRgbTexture(const char* pszPath, GLuint& nName, GLint nWrapS, GLint nWrapT) {
    return LoadRgbTextureFile(pszPath, nName, nWrapS, nWrapT) == TextureLoad::kMade;
}

bool LoadRgbTextureBytes(const uint8_t* pBytes, size_t nSize, GLuint& nName, GLint nWrapS, GLint nWrapT) {
    if (!pBytes) return false;
    DibResult eResult = DibResult::kOk;
    std::unique_ptr<RgbImage, ImageFreer> pImage(DecodeDib(pBytes, nSize, eResult));
    return pImage && UploadRgbTexture(*pImage, nName, nWrapS, nWrapT);
}

TextureLoad LoadScrollTexturesFile(const char* pszPath, GLuint* pnNames, int nCount, int nDx, int nDy) {
    if (!pnNames || nCount <= 0) return TextureLoad::kNotAPicture;
    std::unique_ptr<uint8_t[]> pBytes;
    size_t nSize = 0;
    const TextureLoad eRead = ReadRawBgrFile(pszPath, pBytes, nSize);
    if (eRead != TextureLoad::kMade) return eRead;
    RawBgrPicture picture;
    if (!ParseRawBgrPicture(pBytes.get(), nSize, picture) || !UploadScrollTextures(picture, pnNames, nCount, nDx, nDy))
        return TextureLoad::kNotAPicture;
    return TextureLoad::kMade;
}

bool LoadScrollTextures(const char* pszPath, GLuint* pnNames, int nCount, int nDx, int nDy) {
    return LoadScrollTexturesFile(pszPath, pnNames, nCount, nDx, nDy) == TextureLoad::kMade;
}

bool LoadScrollTexturesBytes(const uint8_t* pBytes, size_t nSize, GLuint* pnNames, int nCount, int nDx, int nDy) {
    if (!pnNames || nCount <= 0) return false;
    RawBgrPicture picture;
    return ParseRawBgrPicture(pBytes, nSize, picture) && UploadScrollTextures(picture, pnNames, nCount, nDx, nDy);
}

TextureLoad LoadScrollPictureFile(const char* pszPath, GLuint& nName, int& nWidth, int& nHeight) {
    std::unique_ptr<uint8_t[]> pBytes;
    size_t nSize = 0;
    const TextureLoad eRead = ReadRawBgrFile(pszPath, pBytes, nSize);
    if (eRead != TextureLoad::kMade) return eRead;
    RawBgrPicture picture;
    if (!ParseRawBgrPicture(pBytes.get(), nSize, picture) || !UploadScrollPicture(picture, nName, nWidth, nHeight))
        return TextureLoad::kNotAPicture;
    return TextureLoad::kMade;
}

bool LoadScrollPictureBytes(const uint8_t* pBytes, size_t nSize, GLuint& nName, int& nWidth, int& nHeight) {
    RawBgrPicture picture;
    return ParseRawBgrPicture(pBytes, nSize, picture) && UploadScrollPicture(picture, nName, nWidth, nHeight);
}
