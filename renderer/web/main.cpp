// The scene on a web page: a WebGL 2 context on the page's canvas, the scene drawn through the GL
// layer on every animation frame at the canvas's size in device pixels, its clock the page's
// monotonic time. With --time SECONDS (the page's ?t) it draws that one moment instead, exactly as
// vantorel-frames does, and draws it again whenever the canvas changes size.
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
#include "renderer/stepped_scene_clock.h"
#include "renderer/textures.h"
#include "renderer/web/gl_layer.h"

namespace {

const char kCanvas[] = "#scene";
const char kPictureFolder[] = "/pictures";

// The page's performance.now(), in whole milliseconds; wrapping at 2^32 as GetTickCount does.
class CPageTickCount : public ITickCount {
public:
    uint32_t GetTickCount() override { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }
};

CPageTickCount cPageClock;
CSteppedSceneClock cStillClock;
bool bStill = false;
uint32_t nStillMs = 0;
int nCanvasWidth = 0;
int nCanvasHeight = 0;

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
    const double dRatio = emscripten_get_device_pixel_ratio();
    const int nWidth = std::max(1, static_cast<int>(std::lround(dCssWidth * dRatio)));
    const int nHeight = std::max(1, static_cast<int>(std::lround(dCssHeight * dRatio)));
    if (nWidth == nCanvasWidth && nHeight == nCanvasHeight) return false;
    nCanvasWidth = nWidth;
    nCanvasHeight = nHeight;
    emscripten_set_canvas_element_size(kCanvas, nWidth, nHeight);
    ResizeViewport(nWidth, nHeight);
    return true;
}

EM_BOOL OnAnimationFrame(double, void*) {
    const bool bResized = FollowCanvasSize();
    if (bStill) {
        // The same moment again at the new size; the stepped clock does not move.
        if (bResized) {
            DrawFrame();
            ReportFrame(nStillMs / 1000.0);
        }
        return EM_TRUE;
    }
    DrawFrame();
    ReportFrame(fSceneTime * (nScenePeriod / 1000.0));
    return EM_TRUE;
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
    }
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
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
}  // namespace

int main(int argc, char** argv) {
    bStill = ParseStill(argc, argv);

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
    if (!WritePictures()) return 1;

    FollowCanvasSize();
    DrawBackdrop();
    emscripten_request_animation_frame(AfterBackdrop, nullptr);
    return 0;
}
