// frames_soak: the frame renderer's scene drawn for a long run, the way the screensaver draws it for
// hours: the real InitScene / DrawFrame on an EGL surfaceless context, the clock set through the
// tick-count port as the Windows renderer reads it (a 32-bit count, widened) and started close below
// 2^32, so the run crosses the tick counter's wrap as well as the whole timeline (by default 100 000
// frames 3 ms apart: 300 s of scene time, the wrap at 150 s). Every frame must draw without a GL
// error, the scene time must keep rising through the wrap, and the resident memory at the end must be
// what it was once the run had settled.
//
//   frames_soak [--frames N] [--step-ms MS] [--wrap-after-ms MS] [--size WxH] [--textures DIR]
//
// Prints one summary line; exit code 0 when everything held, 1 otherwise.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "renderer/offscreen/egl_context.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"

#ifndef VANTOREL_DEFAULT_TEXTURES
#define VANTOREL_DEFAULT_TEXTURES "."
#endif

namespace {

// Resident memory in KiB, from the kernel's own count.
long ResidentKiB() {
    std::FILE* pFile = std::fopen("/proc/self/statm", "r");
    if (!pFile) return -1;
    long nPages = 0, nResident = 0;
    const int nRead = std::fscanf(pFile, "%ld %ld", &nPages, &nResident);
    std::fclose(pFile);
    return nRead == 2 ? nResident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Bytes handed out by malloc and not yet freed, over all of its arenas.
long HeapInUseKiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

bool ReadLong(const char* psz, long nMin, long nMax, long& nOut) {
    char* pEnd = nullptr;
    const long n = std::strtol(psz, &pEnd, 10);
    if (pEnd == psz || *pEnd != '\0' || n < nMin || n > nMax) return false;
    nOut = n;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long nFrames = 100000, nStepMs = 3, nWrapAfterMs = 150000, nWidth = 32, nHeight = 24;
    std::string sTextures = VANTOREL_DEFAULT_TEXTURES;
    for (int i = 1; i < argc; ++i) {
        const std::string sArg = argv[i];
        const char* pszValue = i + 1 < argc ? argv[i + 1] : "";
        bool bOk = i + 1 < argc;
        if (sArg == "--frames") bOk = bOk && ReadLong(pszValue, 2, 100000000, nFrames);
        else if (sArg == "--step-ms") bOk = bOk && ReadLong(pszValue, 1, 60000, nStepMs);
        else if (sArg == "--wrap-after-ms") bOk = bOk && ReadLong(pszValue, 0, 4000000000L, nWrapAfterMs);
        else if (sArg == "--size") bOk = bOk && std::sscanf(pszValue, "%ldx%ld", &nWidth, &nHeight) == 2 &&
                                         nWidth > 0 && nHeight > 0 && nWidth <= 4096 && nHeight <= 4096;
        else if (sArg == "--textures") sTextures = pszValue;
        else bOk = false;
        if (!bOk) {
            std::fprintf(stderr, "usage: frames_soak [--frames N] [--step-ms MS] [--wrap-after-ms MS] "
                                 "[--size WxH] [--textures DIR]\n");
            return 2;
        }
        ++i;
    }
    // One llvmpipe rasterizer thread: glibc keeps a malloc arena per thread and lets each grow in
    // steps of its own, which would hide (or fake) a trend in the resident memory measured here.
    setenv("LP_NUM_THREADS", "0", 0);
    SetSceneTextureFolder(sTextures);

    CEglContext cContext;
    if (!cContext.Open(static_cast<int>(nWidth), static_cast<int>(nHeight))) {
        std::fprintf(stderr, "frames_soak: no OpenGL context: %s\n", cContext.Error().c_str());
        return 1;
    }
    // The first frame's tick lies nWrapAfterMs below 2^32: the counter wraps that far into the run.
    const uint32_t dwStart = static_cast<uint32_t>(0x100000000LL - nWrapAfterMs);
    CFixedTickCount32 cClock(dwStart);
    SetSceneClock(&cClock);
    ResizeViewport(static_cast<int>(nWidth), static_cast<int>(nHeight));
    if (!InitRenderState()) {
        std::fprintf(stderr, "frames_soak: the scene did not start\n");
        return 1;
    }

    // Memory is compared from the moment every lazily made thing exists: the driver gives a texture
    // its storage when it is first drawn, and the scene draws the last of its 256 texture frames only
    // once the timeline has played through. Shorter runs compare from their first tenth.
    const long nSettleMs = 110000;
    const long nSettleFrame = nSettleMs / nStepMs < nFrames / 2 ? nSettleMs / nStepMs : nFrames / 10;
    long nSettledKiB = 0, nSettledHeapKiB = 0, nPeakKiB = 0, nFirstError = -1;
    GLenum eError = GL_NO_ERROR;
    float fLastTime = -1.0f;
    bool bTimeRose = true;
    for (long n = 0; n < nFrames; ++n) {
        cClock.Set(static_cast<uint32_t>(dwStart + static_cast<uint64_t>(n) * nStepMs));
        if (!DrawFrame() && nFirstError < 0) nFirstError = n;
        const GLenum e = glGetError();
        if (e != GL_NO_ERROR && nFirstError < 0) {
            nFirstError = n;
            eError = e;
        }
        if (fSceneTime < fLastTime) bTimeRose = false;
        fLastTime = fSceneTime;
        if (n % 1000 == 999) {
            glFinish();
            nPeakKiB = std::max(nPeakKiB, ResidentKiB());
        }
        if (n == nSettleFrame) {
            glFinish();
            nSettledKiB = ResidentKiB();
            nSettledHeapKiB = HeapInUseKiB();
        }
    }
    glFinish();
    const long nEndKiB = ResidentKiB();
    const long nEndHeapKiB = HeapInUseKiB();
    // The scene time the last frame drew, in seconds of the 100 s timeline.
    const double fExpected = static_cast<double>(nFrames - 1) * nStepMs / 1000.0;
    const double fDrawn = static_cast<double>(fSceneTime) * nScenePeriod / 1000.0;
    const bool bCrossedWrap = static_cast<uint64_t>(dwStart) + static_cast<uint64_t>(nFrames - 1) * nStepMs >= 0x100000000ULL;
    // The heap in use is the exact measure: a leak of 40 bytes a frame would show in the short run.
    // Resident memory also moves with the allocator's and the driver's bookkeeping (about a megabyte
    // either way between runs), so it is allowed a few megabytes: a leak of a frame buffer would not
    // hide there.
    const long nAllowedHeapKiB = 256, nAllowedResidentKiB = 4096;
    const bool bFlat = nEndHeapKiB - nSettledHeapKiB <= nAllowedHeapKiB && nEndKiB - nSettledKiB <= nAllowedResidentKiB;
    const bool bTimeRight = std::fabs(fDrawn - fExpected) < 0.01 + fExpected * 1e-6;

    std::printf("frames_soak: %ld frames of %ldx%ld, %ld ms apart: scene time 0 to %.3f s (expected %.3f), "
                "tick %u to %u (%s the 2^32 wrap); GL errors: %s; resident memory %ld KiB after %ld frames, "
                "%ld KiB at the end (%+ld KiB), peak %ld KiB; heap in use %ld KiB, at the end %ld KiB (%+ld KiB)\n",
                nFrames, nWidth, nHeight, nStepMs, fDrawn, fExpected, dwStart,
                static_cast<uint32_t>(dwStart + static_cast<uint64_t>(nFrames - 1) * nStepMs),
                bCrossedWrap ? "across" : "NOT across", nFirstError < 0 ? "none" : "YES",
                nSettledKiB, nSettleFrame, nEndKiB, nEndKiB - nSettledKiB, nPeakKiB, nSettledHeapKiB, nEndHeapKiB,
                nEndHeapKiB - nSettledHeapKiB);
    bool bHeld = true;
    if (nFirstError >= 0) {
        std::printf("frames_soak: frame %ld failed (GL error 0x%04X)\n", nFirstError, eError);
        bHeld = false;
    }
    if (!bTimeRose || !bTimeRight) {
        std::printf("frames_soak: the scene time did not follow the clock\n");
        bHeld = false;
    }
    if (!bFlat) {
        std::printf("frames_soak: memory grew (allowed: heap %ld KiB, resident %ld KiB)\n", nAllowedHeapKiB,
                    nAllowedResidentKiB);
        bHeld = false;
    }
    SetSceneClock(nullptr);
    return bHeld ? 0 : 1;
}
