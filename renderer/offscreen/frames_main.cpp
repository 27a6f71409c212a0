// vantorel-frames: draws the real scene at chosen scene times into PNG files, without a window.
//
//   vantorel-frames --textures DIR --size WxH --out DIR --time SECONDS [--time SECONDS ...]
//   vantorel-frames --bench N [--textures DIR] [--size WxH]
//
// --layers precomputed draws with the Windows renderer's 2 x 256 precomputed layer textures instead of
// one texture a layer moved by the texture matrix; the pictures are the same.
//
// DIR holds Nerlo01.bmp, Nerlo02.bmp and Nerlo03.bmp, the files the screensaver writes to C:\s_vell.
// The clock is set through the tick-count port, so the frame at t is the frame the renderer shows at
// that moment. Times given in ascending order are one run: between two drawn frames the scene's clock
// is stepped every millisecond, so what carries from frame to frame (the morph amount after 70 s) is
// what a renderer drawing as fast as it can would have.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "renderer/offscreen/egl_context.h"
#include "renderer/offscreen/frames_bench.h"
#include "renderer/offscreen/png_file.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/stepped_scene_clock.h"

#ifndef VANTOREL_DEFAULT_TEXTURES
#define VANTOREL_DEFAULT_TEXTURES "."
#endif

namespace {

const char kUsage[] =
    "usage: vantorel-frames [--textures DIR] [--size WxH] [--out DIR] --time SECONDS [--time SECONDS ...]\n"
    "       vantorel-frames --bench N [--textures DIR] [--size WxH]\n"
    "       vantorel-frames --bench-form FORM --bench N [--textures DIR] [--size WxH]\n"
    "  --textures DIR  folder with Nerlo01.bmp, Nerlo02.bmp, Nerlo03.bmp (default: the product's pictures)\n"
    "  --size WxH      frame size in pixels (default 1024x768)\n"
    "  --out DIR       where frame-<milliseconds>.png files go (default: the current folder)\n"
    "  --time SECONDS  scene time of a frame, from the first frame, 0 to 315360000 (ten years);\n"
    "                  repeat in ascending order\n"
    "  --layers FORM   how the glass layers scroll: shifted (one texture a layer, the default) or\n"
    "                  precomputed (256 textures a layer, as the Windows renderer)\n"
    "  --bench N       time N frames over the timeline against the floor, the mesh and the texture set-up;\n"
    "                  one line per figure: name median min max unit; each layer form's first set-up,\n"
    "                  frames and peak memory come from a fresh process of this program (--bench-form)\n"
    "  --bench-form FORM  that fresh process: FORM's first set-up, N frames and peak memory\n";

int Fail(const std::string& sMessage) {
    std::fprintf(stderr, "vantorel-frames: %s\n%s", sMessage.c_str(), kUsage);
    return 2;
}

bool ParseSize(const char* psz, int& nWidth, int& nHeight) {
    char* pEnd = nullptr;
    errno = 0;
    long nW = std::strtol(psz, &pEnd, 10);
    if (pEnd == psz || (*pEnd != 'x' && *pEnd != 'X')) return false;
    const char* pszH = pEnd + 1;
    long nH = std::strtol(pszH, &pEnd, 10);
    if (pEnd == pszH || *pEnd != '\0' || errno) return false;
    if (nW < 1 || nH < 1 || nW > 8192 || nH > 8192) return false;
    nWidth = static_cast<int>(nW);
    nHeight = static_cast<int>(nH);
    return true;
}

bool IsFolder(const std::string& sPath) {
    struct stat st {};
    return stat(sPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    std::string sTextures = VANTOREL_DEFAULT_TEXTURES;
    std::string sOut = ".";
    int nWidth = 1024, nHeight = 768;
    std::vector<uint64_t> aTimes;
    long nBench = 0;
    LayerForm eForm = LayerForm::Shifted;
    bool bBenchForm = false;

    for (int i = 1; i < argc; ++i) {
        const std::string sArg = argv[i];
        if (sArg == "--help" || sArg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) return Fail("missing value after " + sArg);
        const char* pszValue = argv[++i];
        if (sArg == "--textures") {
            sTextures = pszValue;
        } else if (sArg == "--out") {
            sOut = pszValue;
        } else if (sArg == "--size") {
            if (!ParseSize(pszValue, nWidth, nHeight)) return Fail(std::string("bad size '") + pszValue + "'");
        } else if (sArg == "--layers" || sArg == "--bench-form") {
            if (!ParseLayerForm(pszValue, eForm))
                return Fail(std::string("bad layer form '") + pszValue + "' (precomputed or shifted)");
            bBenchForm = bBenchForm || sArg == "--bench-form";
        } else if (sArg == "--bench") {
            char* pEnd = nullptr;
            errno = 0;
            nBench = std::strtol(pszValue, &pEnd, 10);
            if (pEnd == pszValue || *pEnd != '\0' || errno || nBench < 1 || nBench > 100000)
                return Fail(std::string("bad frame count '") + pszValue + "'");
        } else if (sArg == "--time") {
            uint64_t nMs = 0;
            if (!ParseSceneSeconds(pszValue, nMs)) return Fail(std::string("bad time '") + pszValue + "'");
            if (!aTimes.empty() && nMs < aTimes.back())
                return Fail(std::string("times must be given in ascending order: ") + pszValue);
            aTimes.push_back(nMs);
        } else {
            return Fail("unknown option " + sArg);
        }
    }
    if (bBenchForm && nBench == 0) return Fail("--bench-form needs --bench N");
    if (nBench > 0) {
        if (!aTimes.empty()) return Fail("--bench takes no --time");
        if (!IsFolder(sTextures)) return Fail("no texture folder " + sTextures);
        if (bBenchForm) return RunFramesBenchForm(static_cast<int>(nBench), sTextures, nWidth, nHeight, eForm);
        return RunFramesBench(static_cast<int>(nBench), sTextures, nWidth, nHeight, eForm);
    }
    if (aTimes.empty()) return Fail("no --time given");
    if (!IsFolder(sTextures)) return Fail("no texture folder " + sTextures);
    if (!IsFolder(sOut)) return Fail("no output folder " + sOut);

    SetSceneTextureFolder(sTextures);
    SetSceneLayerForm(eForm);

    CEglContext cContext;
    if (!OpenFramesContext(cContext, nWidth, nHeight)) return 1;
    CSteppedSceneClock cClock;
    SetSceneClock(&cClock);
    ResizeViewport(nWidth, nHeight);
    if (!InitRenderState()) {
        std::fprintf(stderr, "vantorel-frames: the scene did not start\n");
        return 1;
    }

    // The first frame latches the clock at t = 0, as in the real program.
    cClock.Start();
    for (uint64_t nMs : aTimes) {
        cClock.StepTo(nMs);
        DrawFrame();
        glFinish();
        const std::string sPath = sOut + "/frame-" + std::to_string(nMs) + ".png";
        std::string sError;
        if (!WritePngRgb(sPath, nWidth, nHeight, cContext.ReadRgbTopDown(), sError)) {
            std::fprintf(stderr, "vantorel-frames: %s\n", sError.c_str());
            return 1;
        }
        std::printf("%s\n", sPath.c_str());
    }
    SetSceneClock(nullptr);
    return 0;
}
