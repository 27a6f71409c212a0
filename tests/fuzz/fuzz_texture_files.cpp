// The renderer's two texture loaders over any file: the scrolling-texture reader (which takes only
// uncompressed bottom-up 24-bit BMPs) and the general one (through ReadDibFile), each both from a file
// and from memory (the built-in pictures' way), which must agree. Everything uploads into a real
// OpenGL context (EGL surfaceless, llvmpipe), so the sizes handed to glTexImage2D are checked by the
// driver too. The file is an anonymous memory file read through its /proc path, the way the loaders
// read C:\s_vell.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "renderer/dib_decode.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/textures.h"

namespace {

// A tiny target: nothing is drawn, only textures made.
CEglContext& Context() {
    static CEglContext* pContext = [] {
        auto* p = new CEglContext;
        if (!p->Open(8, 8)) {
            std::fprintf(stderr, "fuzz_texture_files: no OpenGL context: %s\n", p->Error().c_str());
            std::abort();
        }
        return p;
    }();
    return *pContext;
}

uint32_t ReadU32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

// The texture's size as the driver holds it.
void TextureSize(GLuint nName, GLint& nWidth, GLint& nHeight) {
    glBindTexture(GL_TEXTURE_2D, nName);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &nWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &nHeight);
}

// The scroll loader's three frames: accepted only as a whole 24-bit picture of the size its header
// gives; refused, it makes no textures.
void CheckScrollTextures(bool bMade, const GLuint (&anNames)[3], const uint8_t* pData, size_t nSize) {
    if (!bMade) {
        if (anNames[0] || anNames[1] || anNames[2]) std::abort();
        return;
    }
    if (nSize < 54) std::abort();
    for (GLuint nName : anNames) {
        GLint nWidth = 0, nHeight = 0;
        TextureSize(nName, nWidth, nHeight);
        if (uint32_t(nWidth) != ReadU32(pData + 18) || uint32_t(nHeight) != ReadU32(pData + 22)) std::abort();
    }
    glDeleteTextures(3, anNames);
    if (glGetError() != GL_NO_ERROR) std::abort();
}

// The general loader's texture holds the decoded picture with no GL error; a picture the decoder takes
// is refused only when it is wider or taller than the driver's largest texture (never handed over).
void CheckRgbTexture(bool bMade, GLuint nTexture, const uint8_t* pData, size_t nSize) {
    GLint nMaxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSide);
    DibResult eResult = DibResult::kOk;
    RgbImage* pImage = DecodeDib(pData, nSize, eResult);
    if (!pImage) {
        if (bMade) std::abort();  // the loader took what the decoder refuses
        return;
    }
    const int64_t nRows = pImage->nHeight < 0 ? -int64_t(pImage->nHeight) : int64_t(pImage->nHeight);
    const int64_t nColumns = pImage->nWidth;
    FreeRgbImage(pImage);
    const bool bFits = nColumns <= nMaxSide && nRows <= nMaxSide;
    if (bMade != bFits || glGetError() != GL_NO_ERROR) std::abort();
    if (!bMade) return;
    GLint nWidth = 0, nHeight = 0;
    TextureSize(nTexture, nWidth, nHeight);
    if (nWidth != nColumns || nHeight != nRows) std::abort();
    glDeleteTextures(1, &nTexture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    Context();
    const int nFile = memfd_create("texture", 0);
    if (nFile < 0) std::abort();
    if (nSize && write(nFile, pData, nSize) != static_cast<ssize_t>(nSize)) std::abort();
    const std::string sPath = "/proc/self/fd/" + std::to_string(nFile);

    // Three frames, each shifted by one more step, as the scene asks for its layers.
    GLuint anFromFile[3] = {0, 0, 0};
    const TextureLoad eScroll = LoadScrollTexturesFile(sPath.c_str(), anFromFile, 3, 1, -1);
    if (eScroll == TextureLoad::kUnreadable) std::abort();  // the file is there and readable
    CheckScrollTextures(eScroll == TextureLoad::kMade, anFromFile, pData, nSize);
    GLuint anFromBytes[3] = {0, 0, 0};
    const bool bScrollBytes = LoadScrollTexturesBytes(pData, nSize, anFromBytes, 3, 1, -1);
    if (bScrollBytes != (eScroll == TextureLoad::kMade)) std::abort();
    CheckScrollTextures(bScrollBytes, anFromBytes, pData, nSize);
    // The shifted layers' one picture: taken and refused exactly as the frames are.
    GLuint nPicture = 0;
    int nPictureWidth = 0, nPictureHeight = 0;
    const TextureLoad ePicture = LoadScrollPictureFile(sPath.c_str(), nPicture, nPictureWidth, nPictureHeight);
    if (ePicture != eScroll || (ePicture != TextureLoad::kMade && nPicture != 0)) std::abort();
    glDeleteTextures(1, &nPicture);
    nPicture = 0;
    if (LoadScrollPictureBytes(pData, nSize, nPicture, nPictureWidth, nPictureHeight) != (eScroll == TextureLoad::kMade))
        std::abort();
    glDeleteTextures(1, &nPicture);

    GLuint nTexture = 0;
    const TextureLoad eRgb = LoadRgbTextureFile(sPath.c_str(), nTexture, GL_REPEAT, GL_CLAMP);
    if (eRgb == TextureLoad::kUnreadable) std::abort();
    if (eRgb != TextureLoad::kMade && nTexture != 0) std::abort();  // a refusal makes no texture
    CheckRgbTexture(eRgb == TextureLoad::kMade, nTexture, pData, nSize);
    GLuint nFromBytes = 0;
    const bool bRgbBytes = LoadRgbTextureBytes(pData, nSize, nFromBytes, GL_REPEAT, GL_CLAMP);
    if (bRgbBytes != (eRgb == TextureLoad::kMade)) std::abort();
    CheckRgbTexture(bRgbBytes, nFromBytes, pData, nSize);
    close(nFile);
    return 0;
}
