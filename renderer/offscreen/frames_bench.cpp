// The bench draws at spread-out scene times, so every phase of the timeline (drop-in, pulse, morph,
// tumble) is in the medians. Each figure is timed to glFinish: llvmpipe draws on other threads, and a
// frame is only done when they are. The floor (clear plus the full-screen backdrop quad) and the
// 1 x 1 viewport (the same frame with almost nothing to fill: the CPU side) are drawn between the
// frames, so a change in the machine's load touches all three alike and their ratios hold. The 1 x 1
// frame is also scissored to its pixel, so its clear does not fill the whole target.
#include "renderer/offscreen/frames_bench.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "renderer/dib_decode.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/scroll_frames.h"
#include "renderer/textures.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point tStart) {
    return std::chrono::duration<double, std::milli>(Clock::now() - tStart).count();
}

double TimeMs(const std::function<void()>& fn) {
    const Clock::time_point tStart = Clock::now();
    fn();
    return MsSince(tStart);
}

struct Figure {
    std::string sName;
    std::vector<double> aValues;
    const char* pszUnit;
};

double Median(std::vector<double> a) {
    std::sort(a.begin(), a.end());
    const size_t n = a.size();
    return n % 2 ? a[n / 2] : (a[n / 2 - 1] + a[n / 2]) / 2.0;
}

void Print(const Figure& f) {
    if (f.aValues.empty()) return;
    const auto [pMin, pMax] = std::minmax_element(f.aValues.begin(), f.aValues.end());
    std::printf("%-28s %10.4f %10.4f %10.4f %s\n", f.sName.c_str(), Median(f.aValues), *pMin, *pMax, f.pszUnit);
}

// Element-wise a / b (times nScale): the ratio of two figures measured side by side.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b, double nScale = 1.0) {
    std::vector<double> r;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(b[i] > 0 ? nScale * a[i] / b[i] : 0.0);
    return r;
}

std::vector<uint8_t> ReadWholeFile(const std::string& sPath) {
    std::ifstream in(sPath, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pixel block of a bottom-up 24-bit picture whose rows need no padding (the 256 x 256 layer
// pictures), copied out; empty for any other file.
std::vector<uint8_t> PackedBgrPixels(const std::vector<uint8_t>& aFile, int& nWidth, int& nHeight) {
    DibLayout layout;
    if (ParseDib(aFile.data(), aFile.size(), layout) != DibResult::kOk || layout.header.nBitCount != 24 ||
        layout.header.nCompression != kDibRgb || layout.bTopDown || layout.nWidth % 4 != 0)
        return {};
    nWidth = layout.nWidth;
    nHeight = layout.nRows;
    const uint8_t* p = aFile.data() + layout.nBitsOffset;
    return std::vector<uint8_t>(p, p + static_cast<size_t>(nWidth) * nHeight * 3);
}

// The calls that upload one frame of a layer, as the scroll loader makes them.
void UploadFrame(GLuint nName, int nWidth, int nHeight, const uint8_t* pPixels) {
    glBindTexture(GL_TEXTURE_2D, nName);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, nWidth, nHeight, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, pPixels);
}

// The two layers' 256 pictures each uploaded unshifted into anNames (512 names made here): the floor the
// scroll-texture build is measured against.
double TimeUploadOnly(std::vector<GLuint>& anNames, const std::vector<uint8_t>& aPixels2, int nW2, int nH2,
                      const std::vector<uint8_t>& aPixels3, int nW3, int nH3) {
    return TimeMs([&] {
        glGenTextures(512, anNames.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int k = 0; k < 256; ++k) UploadFrame(anNames[k], nW2, nH2, aPixels2.data());
        for (int k = 0; k < 256; ++k) UploadFrame(anNames[256 + k], nW3, nH3, aPixels3.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glFinish();
    });
}

void DeleteSceneTextures() {
    glDeleteTextures(1, &nTintTexture);
    glDeleteTextures(256, anLayerTextures0);
    glDeleteTextures(256, anLayerTextures1);
    nTintTexture = 0;
    std::fill(std::begin(anLayerTextures0), std::end(anLayerTextures0), 0u);
    std::fill(std::begin(anLayerTextures1), std::end(anLayerTextures1), 0u);
}

// The largest resident size of this process so far, in MB (Linux's own count).
double PeakResidentMb() {
    std::ifstream in("/proc/self/status");
    std::string sLine;
    while (std::getline(in, sLine))
        if (sLine.rfind("VmHWM:", 0) == 0) return std::strtod(sLine.c_str() + 6, nullptr) / 1024.0;
    return 0.0;
}

// The first upload of the 512 pictures in a process of its own, as the scene's first set-up meets it:
// the driver's texture storage is fresh memory there. The child makes its own context (none exists
// before the fork) and hands its time back through a pipe; a negative value when it could not.
double FirstUploadInFreshProcess(int nWidth, int nHeight, const std::vector<uint8_t>& aPixels2, int nW2, int nH2,
                                 const std::vector<uint8_t>& aPixels3, int nW3, int nH3) {
    int anPipe[2];
    if (pipe(anPipe) != 0) return -1.0;
    std::fflush(nullptr);
    const pid_t nChild = fork();
    if (nChild < 0) {
        close(anPipe[0]);
        close(anPipe[1]);
        return -1.0;
    }
    if (nChild == 0) {
        close(anPipe[0]);
        double dMs = -1.0;
        CEglContext cContext;
        if (cContext.Open(nWidth, nHeight)) {
            std::vector<GLuint> anNames(512);
            dMs = TimeUploadOnly(anNames, aPixels2, nW2, nH2, aPixels3, nW3, nH3);
        }
        const ssize_t nWritten = write(anPipe[1], &dMs, sizeof dMs);
        _exit(nWritten == static_cast<ssize_t>(sizeof dMs) ? 0 : 1);
    }
    close(anPipe[1]);
    double dMs = -1.0;
    if (read(anPipe[0], &dMs, sizeof dMs) != static_cast<ssize_t>(sizeof dMs)) dMs = -1.0;
    close(anPipe[0]);
    int nStatus = 0;
    waitpid(nChild, &nStatus, 0);
    return dMs;
}

// RunFramesBenchForm in a process of its own (this program again, so its peak resident size is its
// own alone), its lines added to the figures named "<name>-<form>". False when it did not run through.
bool MeasureFormInFreshProcess(LayerForm eForm, int nFrames, const std::string& sTextures, int nWidth, int nHeight,
                               std::map<std::string, Figure>& mFigures) {
    int anPipe[2];
    if (pipe(anPipe) != 0) return false;
    const std::string sForm = LayerFormName(eForm), sFrames = std::to_string(nFrames),
                      sSize = std::to_string(nWidth) + "x" + std::to_string(nHeight);
    std::fflush(nullptr);
    const pid_t nChild = fork();
    if (nChild < 0) {
        close(anPipe[0]);
        close(anPipe[1]);
        return false;
    }
    if (nChild == 0) {
        close(anPipe[0]);
        if (dup2(anPipe[1], STDOUT_FILENO) < 0) _exit(127);
        close(anPipe[1]);
        const char* apszArgs[] = {"vantorel-frames", "--bench-form", sForm.c_str(), "--bench", sFrames.c_str(),
                                  "--textures", sTextures.c_str(), "--size", sSize.c_str(), nullptr};
        execv("/proc/self/exe", const_cast<char* const*>(apszArgs));
        _exit(127);
    }
    close(anPipe[1]);
    std::string sOutput;
    char acBuffer[512];
    for (ssize_t n; (n = read(anPipe[0], acBuffer, sizeof acBuffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        sOutput.append(acBuffer, static_cast<size_t>(n));
    }
    close(anPipe[0]);
    int nStatus = 0;
    while (waitpid(nChild, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0) return false;
    std::istringstream lines(sOutput);
    std::string sName;
    double dValue = 0.0;
    while (lines >> sName >> dValue) {
        const std::string sKey = sName + "-" + sForm;
        Figure& f = mFigures[sKey];
        if (f.sName.empty()) f = Figure{sKey, {}, sName == "resident-peak" ? "MB" : "ms"};
        f.aValues.push_back(dValue);
    }
    return true;
}

}  // namespace

bool OpenFramesContext(CEglContext& cContext, int nWidth, int nHeight) {
    if (cContext.Open(nWidth, nHeight)) return true;
    std::fprintf(stderr, "vantorel-frames: no OpenGL context: %s\n", cContext.Error().c_str());
    return false;
}

int RunFramesBenchForm(int nFrames, const std::string& sTextures, int nWidth, int nHeight, LayerForm eForm) {
    SetSceneTextureFolder(sTextures);
    SetSceneLayerForm(eForm);
    CEglContext cContext;
    if (!OpenFramesContext(cContext, nWidth, nHeight)) return 1;
    CFixedTickCount cClock(1000);
    SetSceneClock(&cClock);
    ResizeViewport(nWidth, nHeight);
    std::printf("setup-first %.4f\n", TimeMs([] {
        InitRenderState();
        glFinish();
    }));
    UpdateSceneTime();
    for (int i = 0; i < nFrames; ++i) {
        cClock.Set(1000 + static_cast<uint32_t>(110000.0 * (i + 0.5) / nFrames));
        std::printf("frame %.4f\n", TimeMs([] {
            DrawFrame();
            glFinish();
        }));
    }
    // The last frame taken as a still is, so the peak holds what a still costs.
    const size_t nStillBytes = cContext.ReadRgbTopDown().size();
    SetSceneClock(nullptr);
    std::printf("resident-peak %.4f\n", PeakResidentMb());
    return glGetError() == GL_NO_ERROR && nStillBytes > 0 ? 0 : 1;
}

int RunFramesBench(int nFrames, const std::string& sTextures, int nWidth, int nHeight, LayerForm eForm) {
    // Each form's fresh processes first, before this one holds a context or any texture; two rounds,
    // the forms taking turns, so a change in the machine's load touches both.
    std::map<std::string, Figure> mForms;
    bool bFormsRan = true;
    for (int nRound = 0; nRound < 2; ++nRound)
        for (LayerForm e : {LayerForm::Precomputed, LayerForm::Shifted})
            bFormsRan = MeasureFormInFreshProcess(e, nFrames, sTextures, nWidth, nHeight, mForms) && bFormsRan;

    SetSceneTextureFolder(sTextures);
    SetSceneLayerForm(eForm);
    const std::vector<uint8_t> aFile2 = ReadWholeFile(asSceneTextureFiles[1]);
    const std::vector<uint8_t> aFile3 = ReadWholeFile(asSceneTextureFiles[2]);
    int nW2 = 0, nH2 = 0, nW3 = 0, nH3 = 0;
    const std::vector<uint8_t> aPixels2 = PackedBgrPixels(aFile2, nW2, nH2);
    const std::vector<uint8_t> aPixels3 = PackedBgrPixels(aFile3, nW3, nH3);
    const bool bLayerPictures = !aPixels2.empty() && !aPixels3.empty();
    Figure uploadFirst{"textures-upload-only-first", {}, "ms"};
    if (bLayerPictures) {
        const double dMs = FirstUploadInFreshProcess(nWidth, nHeight, aPixels2, nW2, nH2, aPixels3, nW3, nH3);
        if (dMs >= 0.0) uploadFirst.aValues.push_back(dMs);
    }

    CEglContext cContext;
    if (!OpenFramesContext(cContext, nWidth, nHeight)) return 1;
    CFixedTickCount cClock(1000);
    SetSceneClock(&cClock);
    ResizeViewport(nWidth, nHeight);

    Figure setupFirst{"setup-first", {}, "ms"};
    setupFirst.aValues.push_back(TimeMs([] {
        InitRenderState();
        glFinish();
    }));

    // The texture set-up, repeated: a few rounds are enough for 512 uploads each.
    const int nRounds = std::clamp(nFrames / 10, 3, 10);
    Figure textures{"textures", {}, "ms"}, uploadOnly{"textures-upload-only", {}, "ms"},
        shiftInPlace{"textures-shift-in-place", {}, "ms"}, setup{"setup-precomputed", {}, "ms"},
        setupShifted{"setup-shifted", {}, "ms"};
    std::vector<GLuint> anNames(512);
    for (int r = 0; r < nRounds && bLayerPictures; ++r) {
        uploadOnly.aValues.push_back(TimeUploadOnly(anNames, aPixels2, nW2, nH2, aPixels3, nW3, nH3));
        glDeleteTextures(512, anNames.data());

        textures.aValues.push_back(TimeMs([&] {
            LoadScrollTextures(asSceneTextureFiles[1].c_str(), anNames.data(), 256, 1, 1);
            LoadScrollTextures(asSceneTextureFiles[2].c_str(), anNames.data() + 256, 256, -1, -1);
            glFinish();
        }));
        glDeleteTextures(512, anNames.data());

        // For comparison: one working buffer shifted again by one step before each upload.
        shiftInPlace.aValues.push_back(TimeMs([&] {
            const std::vector<uint8_t> aFresh2 = ReadWholeFile(asSceneTextureFiles[1]);
            const std::vector<uint8_t> aFresh3 = ReadWholeFile(asSceneTextureFiles[2]);
            std::vector<uint8_t> aWork2 = PackedBgrPixels(aFresh2, nW2, nH2);
            std::vector<uint8_t> aWork3 = PackedBgrPixels(aFresh3, nW3, nH3);
            glGenTextures(512, anNames.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            for (int k = 0; k < 256; ++k) {
                ShiftPictureCyclic(aWork2.data(), nW2, nH2, 3, 1, 1);
                UploadFrame(anNames[k], nW2, nH2, aWork2.data());
            }
            for (int k = 0; k < 256; ++k) {
                ShiftPictureCyclic(aWork3.data(), nW3, nH3, 3, -1, -1);
                UploadFrame(anNames[256 + k], nW3, nH3, aWork3.data());
            }
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glFinish();
        }));
        glDeleteTextures(512, anNames.data());

        for (LayerForm e : {LayerForm::Precomputed, LayerForm::Shifted}) {
            DeleteSceneTextures();
            SetSceneLayerForm(e);
            (e == LayerForm::Shifted ? setupShifted : setup).aValues.push_back(TimeMs([] {
                SetupScene(100000);
                glFinish();
            }));
        }
    }
    // The frames below are drawn in the form asked for.
    DeleteSceneTextures();
    SetSceneLayerForm(eForm);
    SetupScene(100000);

    // The frames, spread over the 100 s timeline (and past it: the tumble goes on).
    Figure frame{"frame", {}, "ms"}, floor{"floor", {}, "ms"}, frame1{"frame-1x1", {}, "ms"},
        mesh{"mesh", {}, "ms"};
    UpdateSceneTime();
    const double dSpan = 110000.0;
    for (int i = 0; i < nFrames; ++i) {
        const uint32_t nMs = static_cast<uint32_t>(dSpan * (i + 0.5) / nFrames);
        cClock.Set(1000 + nMs);
        // The order turns from one frame to the next, so none of the three always follows the same one.
        for (int n = 0; n < 3; ++n) {
            switch ((i + n) % 3) {
            case 0:
                frame.aValues.push_back(TimeMs([] {
                    DrawFrame();
                    glFinish();
                }));
                break;
            case 1:
                floor.aValues.push_back(TimeMs([] {
                    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                    glLoadIdentity();
                    cSceneOverlay.Draw();
                    glFinish();
                }));
                break;
            default:
                // The scissor keeps the frame's clear to the same one pixel: what is left is the CPU side.
                glViewport(0, 0, 1, 1);
                glScissor(0, 0, 1, 1);
                glEnable(GL_SCISSOR_TEST);
                frame1.aValues.push_back(TimeMs([] {
                    DrawFrame();
                    glFinish();
                }));
                glDisable(GL_SCISSOR_TEST);
                glViewport(0, 0, nWidth, nHeight);
                break;
            }
        }
        UpdateSceneTime();
        mesh.aValues.push_back(TimeMs([] { cSceneGlass.GenerateMesh(); }));
    }
    SetSceneClock(nullptr);

    for (const Figure* p : {&frame, &floor, &frame1, &mesh, &textures, &uploadOnly, &shiftInPlace, &setup,
                            &setupShifted, &setupFirst, &uploadFirst})
        Print(*p);
    Print({"frame/floor", Ratios(frame.aValues, floor.aValues), "x"});
    Print({"mesh/frame-1x1", Ratios(mesh.aValues, frame1.aValues, 100.0), "%"});
    Print({"textures/upload-only", Ratios(textures.aValues, uploadOnly.aValues), "x"});
    Print({"setup-precomputed/upload-only", Ratios(setup.aValues, uploadOnly.aValues), "x"});
    Print({"setup-shifted/precomputed", Ratios(setupShifted.aValues, setup.aValues), "x"});
    Print({"shift-in-place/upload-only", Ratios(shiftInPlace.aValues, uploadOnly.aValues), "x"});
    Print({"setup-first/upload-only-first", Ratios(setupFirst.aValues, uploadFirst.aValues), "x"});
    const double dPeak = PeakResidentMb();
    Print({"resident-peak", {dPeak}, "MB"});
    // The two forms side by side, each from its own processes; the ratios pair the rounds' figures
    // (the frames' medians, so that rounds of many frames pair as wholes).
    for (const char* pszName : {"setup-first", "frame", "resident-peak"})
        for (const char* pszForm : {"precomputed", "shifted"})
            Print(mForms[std::string(pszName) + "-" + pszForm]);
    auto RoundValues = [&](const std::string& sName, const char* pszForm) {
        const Figure& f = mForms[sName + "-" + pszForm];
        if (f.aValues.size() <= 2 || f.aValues.size() % 2) return f.aValues;
        const size_t nHalf = f.aValues.size() / 2;
        return std::vector<double>{Median({f.aValues.begin(), f.aValues.begin() + nHalf}),
                                   Median({f.aValues.begin() + nHalf, f.aValues.end()})};
    };
    for (const char* pszName : {"setup-first", "frame", "resident-peak"})
        Print({std::string(pszName) + ":shifted/precomputed",
               Ratios(RoundValues(pszName, "shifted"), RoundValues(pszName, "precomputed")), "x"});
    if (!bFormsRan) std::fprintf(stderr, "vantorel-frames: a layer form's own process did not run through\n");
    if (!bLayerPictures)
        std::fprintf(stderr, "vantorel-frames: the layer pictures in %s are not 24-bit pictures; no texture figures\n",
                     sTextures.c_str());
    return glGetError() == GL_NO_ERROR && bFormsRan ? 0 : 1;
}
