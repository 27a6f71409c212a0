// The scene on a web page: a WebGL 2 context on the page's canvas, the scene drawn through the GL
// layer on animation frames at the canvas's size in device pixels (times the page's render scale),
// its clock the page's monotonic time. With --time SECONDS (the page's ?t) it draws that one moment
// instead, exactly as vantorel-frames does, and draws it again whenever the canvas changes size.
// The page (page.js) pauses and resumes it, caps its frame rate and sets its render scale through
// the Vantorel* calls below; a lost WebGL context stops it, and the restored one gets it all back.
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "renderer/builtin_pictures.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/scene_view.h"
#include "renderer/stepped_scene_clock.h"
#include "renderer/textures.h"
#include "renderer/web/gl_layer.h"

namespace {

const char kCanvas[] = "#scene";
const char kPictureFolder[] = "/pictures";

// The page's performance.now(), in whole milliseconds, 64 bits wide: a page left open for months goes
// on where it is. A frame holds it at one reading, so the catch-up before the frame and the frame
// itself agree on the moment.
class CPageTickCount : public ITickCount {
public:
    static uint64_t Now() { return static_cast<uint64_t>(std::max(0.0, emscripten_get_now())); }
    uint64_t GetTickCount64() override { return bHeld ? nHeld : Now(); }
    void Hold(uint64_t nTick) {
        bHeld = true;
        nHeld = nTick;
    }
    void Release() { bHeld = false; }

private:
    bool bHeld = false;
    uint64_t nHeld = 0;
};

CPageTickCount cPageClock;
CSteppedSceneClock cStillClock;
bool bStill = false;
uint64_t nStillMs = 0;
int nCanvasWidth = 0;
int nCanvasHeight = 0;

// What the page asks for: paused (by its host, or hidden), at most this many frames a second (0: one
// on every animation frame), the drawing buffer at this fraction of the canvas's device pixels.
bool bPaused = false;
double dFrameCap = 0.0;
double dRenderScale = 1.0;
// The scene is set up; the WebGL context is lost; an animation-frame loop is running.
bool bSceneReady = false;
bool bContextLost = false;
bool bLoopRunning = false;
// The page time the frame cap counts from (below 0: draw on the next animation frame), and the scene's
// elapsed milliseconds at the last frame drawn.
double dCapFromMs = -1.0;
uint64_t nLastSceneMs = 0;
// The drawing buffer was cleared (a new size, a restored context): the next animation frame draws,
// whatever the cap, so a capped page never shows black until its next frame is due.
bool bDrawNow = false;

// Tells the page what it shows: no WebGL 2, the backdrop while the scene sets up, or one more frame
// of the scene drawn (its size and scene time).
void ReportNoWebGl() {
    EM_ASM({ if (Module.onNoWebGl) Module.onNoWebGl(); });
}

void ReportBackdrop() {
    EM_ASM({ if (Module.onBackdrop) Module.onBackdrop(); });
}

void ReportFrame(double dSceneSeconds) {
    EM_ASM({ if (Module.onFrame) Module.onFrame($0, $1, $2); }, nCanvasWidth, nCanvasHeight, dSceneSeconds);
}

// The canvas's CSS size times the device pixel ratio; true when that is a new size for the drawing.
bool FollowCanvasSize() {
    double dCssWidth = 0.0, dCssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &dCssWidth, &dCssHeight);
    const double dRatio = emscripten_get_device_pixel_ratio() * dRenderScale;
    const int nWidth = std::max(1, static_cast<int>(std::lround(dCssWidth * dRatio)));
    const int nHeight = std::max(1, static_cast<int>(std::lround(dCssHeight * dRatio)));
    if (nWidth == nCanvasWidth && nHeight == nCanvasHeight) return false;
    nCanvasWidth = nWidth;
    nCanvasHeight = nHeight;
    emscripten_set_canvas_element_size(kCanvas, nWidth, nHeight);
    ResizeViewport(nWidth, nHeight);
    bDrawNow = true;
    return true;
}

// The scene carries one thing from frame to frame, the morph amount, and writes it only during its
// first timeline. There every millisecond since the last frame is read as the stepped clock reads it,
// so however long the page was paused, hidden or capped, the tube at a moment is the still of that
// moment. Once the morph is over (SceneStateSettled) nothing is stepped: a long pause costs nothing.
void DrawLiveFrame() {
    const uint64_t nNow = CPageTickCount::Now();
    cPageClock.Hold(nNow);
    if (!bSceneFirstFrame && !SceneStateSettled(fSceneTime)) {
        const uint64_t nNowMs = nNow - nSceneStartMs;
        for (uint64_t n = nLastSceneMs + 1; n < nNowMs && !SceneStateSettled(fSceneTime); ++n) {
            cPageClock.Hold(nSceneStartMs + n);
            UpdateSceneTime();
        }
        cPageClock.Hold(nNow);
    }
    DrawFrame();
    cPageClock.Release();
    nLastSceneMs = nSceneElapsedMs;
    ReportFrame(static_cast<double>(nSceneElapsedMs) / 1000.0);
}

// True when the frame cap lets this animation frame draw. Animation frames come at the display's
// pace, never exactly on the cap's interval: one up to a quarter of a 240 Hz frame early counts.
bool FrameDue() {
    const double dNow = emscripten_get_now();
    if (dFrameCap <= 0.0 || dCapFromMs < 0.0) {
        dCapFromMs = dNow;
        return true;
    }
    const double dInterval = 1000.0 / dFrameCap;
    if (dNow - dCapFromMs < dInterval - 1000.0 / 240.0) return false;
    // The next interval counts from where this one was due, so the rate holds on average; after a
    // stall it counts from now instead of drawing a burst.
    dCapFromMs = dNow - dCapFromMs < 2.0 * dInterval ? dCapFromMs + dInterval : dNow;
    return true;
}

EM_BOOL OnAnimationFrame(double, void*) {
    // Paused or without a context: the loop ends here, nothing waits for the next frame.
    if (bPaused || bContextLost) {
        bLoopRunning = false;
        return EM_FALSE;
    }
    FollowCanvasSize();
    const bool bCleared = bDrawNow;
    bDrawNow = false;
    if (bStill) {
        // The same moment again at the new size; the stepped clock does not move.
        if (bCleared) {
            DrawFrame();
            ReportFrame(nStillMs / 1000.0);
        }
        return EM_TRUE;
    }
    // A cleared canvas is drawn at once, outside the cap's count: the capped frames keep their pace.
    if (FrameDue() || bCleared) DrawLiveFrame();
    return EM_TRUE;
}

void StartLoop() {
    if (bLoopRunning || !bSceneReady || bPaused || bContextLost) return;
    bLoopRunning = true;
    dCapFromMs = -1.0;
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// The product's three pictures, where the texture loader looks for them.
bool WritePictures() {
    mkdir(kPictureFolder, 0700);
    for (int n = 1; n <= 3; ++n) {
        const std::string sPath = std::string(kPictureFolder) + "/Nerlo0" + std::to_string(n) + ".bmp";
        if (!WriteBuiltinPicture(n, sPath.c_str())) return false;
    }
    SetSceneTextureFolder(kPictureFolder);
    return true;
}

// The scene's first seconds show the backdrop alone (the tube drops in from above the picture), so
// the page shows it at once, before the set-up of the scene's 512 textures, instead of a blank canvas.
void DrawBackdrop() {
    const BuiltinPicture cNebula = GetBuiltinPicture(3);
    GLuint nTexture = 0;
    if (!LoadRgbTextureBytes(cNebula.pBytes, cNebula.nSize, nTexture, GL_REPEAT, GL_REPEAT)) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, nTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3i(-1, -1, 0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3i(1, -1, 0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3i(1, 1, 0);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3i(-1, 1, 0);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &nTexture);
    ReportBackdrop();
}

void SetUpScene(void*) {
    SetSceneClock(bStill ? static_cast<ITickCount*>(&cStillClock) : &cPageClock);
    FollowCanvasSize();
    InitRenderState();
    if (bStill) {
        cStillClock.Start();
        cStillClock.StepTo(nStillMs);
        DrawFrame();
        ReportFrame(nStillMs / 1000.0);
        bDrawNow = false;
    }
    bSceneReady = true;
    StartLoop();
}

// The browser drops the context on a GPU reset, a driver update or a switch of GPUs. Taking the event
// (true: its default is prevented) is what lets the browser give the context back later.
EM_BOOL OnContextLost(int, const void*, void*) {
    bContextLost = true;
    return EM_TRUE;
}

// Everything the lost context held is made again: the layer's shaders and buffers, then the scene's
// textures and lists through its own set-up. The scene's clock and its morph amount live outside the
// context and go on: a still shows the same moment, a live page the moment it is at now.
EM_BOOL OnContextRestored(int, const void*, void*) {
    bContextLost = false;
    if (!RestartGlLayer()) {
        ReportNoWebGl();
        return EM_TRUE;
    }
    nCanvasWidth = nCanvasHeight = 0;
    FollowCanvasSize();
    if (bSceneReady) {
        const SSceneViewState state = SceneViewState();
        InitRenderState();
        SetSceneViewState(state);
        if (bStill) {
            DrawFrame();
            ReportFrame(nStillMs / 1000.0);
            bDrawNow = false;
        }
        StartLoop();
    }
    return EM_TRUE;
}

// Called before the browser paints the backdrop: the set-up waits for the task after that paint.
EM_BOOL AfterBackdrop(double, void*) {
    emscripten_set_timeout(SetUpScene, 0, nullptr);
    return EM_FALSE;
}

// --time SECONDS: the moment to hold, read as the frame renderer and the hack read it.
bool ParseStill(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--time") == 0) return ParseSceneSeconds(argv[i + 1], nStillMs);
    }
    return false;
}

// The page keeps one texture a layer, scrolled by the texture matrix (in every tab, and in a wallpaper
// host once per monitor, 2 x 256 precomputed frames would be 96 MB of pictures); --layers precomputed
// (the page's ?layers=precomputed) makes them all, for measuring the two side by side.
LayerForm ParseLayerFormOption(int argc, char** argv) {
    LayerForm eForm = LayerForm::Shifted;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--layers") == 0) ParseLayerForm(argv[i + 1], eForm);
    return eForm;
}
}  // namespace

// The page's controls. Paused: no frame is drawn and no animation frame is asked for until resumed.
extern "C" EMSCRIPTEN_KEEPALIVE void VantorelSetPaused(int nPaused) {
    bPaused = nPaused != 0;
    StartLoop();
}

// At most dFps frames a second, from 1 up; anything below 1 (0: no cap) draws on every animation frame.
extern "C" EMSCRIPTEN_KEEPALIVE void VantorelSetFrameCap(double dFps) {
    dFrameCap = std::isfinite(dFps) && dFps >= 1.0 ? dFps : 0.0;
    dCapFromMs = -1.0;
}

// The drawing buffer's size as a fraction of the canvas's device pixels (0.1 to 1), stretched to fill.
// A still is drawn again at the new size on the next animation frame.
extern "C" EMSCRIPTEN_KEEPALIVE void VantorelSetRenderScale(double dScale) {
    dRenderScale = std::isfinite(dScale) ? std::clamp(dScale, 0.1, 1.0) : 1.0;
}

int main(int argc, char** argv) {
    bStill = ParseStill(argc, argv);
    SetSceneLayerForm(ParseLayerFormOption(argc, argv));

    EmscriptenWebGLContextAttributes cAttributes;
    emscripten_webgl_init_context_attributes(&cAttributes);
    cAttributes.majorVersion = 2;
    cAttributes.minorVersion = 0;
    // The picture is the scene's own: no smoothing of edges, no see-through page behind it.
    cAttributes.antialias = EM_FALSE;
    cAttributes.alpha = EM_FALSE;
    cAttributes.depth = EM_TRUE;
    cAttributes.stencil = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE hContext = emscripten_webgl_create_context(kCanvas, &cAttributes);
    if (hContext <= 0 || emscripten_webgl_make_context_current(hContext) != EMSCRIPTEN_RESULT_SUCCESS ||
        !StartGlLayer()) {
        ReportNoWebGl();
        return 0;
    }
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, OnContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, OnContextRestored);
    if (!WritePictures()) return 1;

    FollowCanvasSize();
    DrawBackdrop();
    emscripten_request_animation_frame(AfterBackdrop, nullptr);
    return 0;
}
