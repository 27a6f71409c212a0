// The renderer's two texture loaders over any file: the scrolling-texture reader (LoadScrollTextures,
// which takes only uncompressed bottom-up 24-bit BMPs) and the general one (LoadRgbTexture through
// ReadDibFile). Both upload into a real OpenGL context (EGL surfaceless, llvmpipe), so the sizes they
// hand to glTexImage2D are checked by the driver too. The input lives in an anonymous memory file,
// read through its /proc path, exactly as the loaders read C:\s_vell.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    Context();
    const int nFile = memfd_create("texture", 0);
    if (nFile < 0) std::abort();
    if (nSize && write(nFile, pData, nSize) != static_cast<ssize_t>(nSize)) std::abort();
    const std::string sPath = "/proc/self/fd/" + std::to_string(nFile);

    // Three frames, each shifted by one more step, as the scene asks for its layers.
    GLuint anNames[3] = {0, 0, 0};
    if (LoadScrollTextures(sPath.c_str(), anNames, 3, 1, -1)) {
        // Accepted only as a whole 24-bit picture of the size its header gives.
        if (nSize < 54) std::abort();
        for (GLuint nName : anNames) {
            GLint nWidth = 0, nHeight = 0;
            TextureSize(nName, nWidth, nHeight);
            if (uint32_t(nWidth) != ReadU32(pData + 18) || uint32_t(nHeight) != ReadU32(pData + 22)) std::abort();
        }
        glDeleteTextures(3, anNames);
    } else if (anNames[0] || anNames[1] || anNames[2]) {
        std::abort();  // a refused file makes no textures
    }
    // The driver saw nothing it had to refuse.
    if (glGetError() != GL_NO_ERROR) std::abort();

    GLuint nTexture = 0;
    if (LoadRgbTexture(sPath.c_str(), nTexture, GL_REPEAT, GL_CLAMP)) {
        GLint nWidth = 0, nHeight = 0;
        TextureSize(nTexture, nWidth, nHeight);
        // A picture wider or taller than the driver's largest texture is refused by the driver alone
        // (the texture stays empty); any other picture arrives whole.
        GLint nMaxSide = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSide);
        DibResult eResult = DibResult::kOk;
        RgbImage* pImage = DecodeDib(pData, nSize, eResult);
        if (!pImage) std::abort();  // the loader took what the decoder refuses
        const int64_t nRows = pImage->nHeight < 0 ? -int64_t(pImage->nHeight) : int64_t(pImage->nHeight);
        const int64_t nColumns = pImage->nWidth;
        FreeRgbImage(pImage);
        const GLenum nError = glGetError();
        if (nColumns > nMaxSide || nRows > nMaxSide) {
            if (nError != GL_INVALID_VALUE) std::abort();
        } else if (nError != GL_NO_ERROR || nWidth != nColumns || nHeight != nRows) {
            std::abort();
        }
        glDeleteTextures(1, &nTexture);
    }
    close(nFile);
    return 0;
}
