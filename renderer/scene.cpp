// The scene: a glass tube that drops in, pulses, morphs into a three-lobed loop while the camera backs
// away, then tumbles on for ever, with the nebula added over every frame as the backdrop.
#include "renderer/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "renderer/builtin_pictures.h"
#include "renderer/textures.h"

int (*pfnFrameProc)() = nullptr;
int32_t nScenePeriod = 0;
bool bSceneFirstFrame = true;
uint64_t nSceneStartMs = 0;
uint64_t nSceneElapsedMs = 0;
float fSceneTime = 0.0f;
GLuint nTintTexture = 0;
GLuint anLayerTextures0[256] = {};
GLuint anLayerTextures1[256] = {};
CGlassObject cSceneGlass;
COverlay cSceneOverlay;

std::string asSceneTextureFiles[SCENE_TEXTURE_FILES] = {
    "C:\\s_vell\\Nerlo01.bmp",
    "C:\\s_vell\\Nerlo02.bmp",
    "C:\\s_vell\\Nerlo03.bmp",
};

namespace {

ITickCount* pSceneClock = nullptr;
LayerForm eSceneLayerForm = LayerForm::Precomputed;

// Both layers move one step a frame along a diagonal: the base layer +1, +1, the reflection -1, -1.
const int kLayerSteps[2] = {1, -1};

// The phase boundaries are single-precision constants; every comparison is made against them.
const float kDropEnd = 0.1f;
const float kPulseStart = 0.2f;
const float kMorphStart = 0.3f;
const float kPulseFull = 0.6f;
const float kMorphEnd = 0.7f;

// The tumble's three rates in degrees per timeline, the single-precision values the first 70 s turn by.
const float kTurnX = 259.2f;
const float kTurnY = 90.24f;
const float kTurnZ = 215.68f;

// A renderer that draws at all draws more than once a second; a longer gap before the morph's end is a
// stretch when nothing was drawn.
const uint64_t kUndrawnMorphEndMs = 1000;

const double kTwoPi = 6.283185307179586476925;

uint64_t ReadClock() { return pSceneClock ? pSceneClock->GetTickCount64() : 0; }

// The angle fRate x nElapsedMs / nPeriod, exact up to the rounding of double, reduced to [0, 360)
// before GL sees it: in single precision the angle 30 days in is rounded to half a degree.
float TurnDegrees(float fRate, uint64_t nElapsedMs, int32_t nPeriod) {
    const double dTurn = static_cast<double>(fRate) * static_cast<double>(nElapsedMs) / static_cast<double>(nPeriod);
    return static_cast<float>(std::fmod(dTurn, 360.0));
}

// Each picture comes from its file when the file can be read; when it cannot (no file, a folder that
// could not be written, a file another program holds), the program's own copy of the same picture
// stands in, without a message, so the scene shows instead of a white screen. A file that was read but
// is not a picture the loader accepts keeps the reader's answer.
bool LoadTintTexture() {
    const TextureLoad eLoad = LoadRgbTextureFile(asSceneTextureFiles[0].c_str(), nTintTexture, GL_REPEAT, GL_REPEAT);
    if (eLoad != TextureLoad::kUnreadable) return eLoad == TextureLoad::kMade;
    const BuiltinPicture picture = GetBuiltinPicture(1);
    return LoadRgbTextureBytes(picture.pBytes, picture.nSize, nTintTexture, GL_REPEAT, GL_REPEAT);
}

// Layer file nFile (1 or 2): 256 frames, each one step further along the diagonal nStep.
bool LoadLayerTextures(int nFile, GLuint (&anNames)[256], int nStep) {
    const TextureLoad eLoad = LoadScrollTexturesFile(asSceneTextureFiles[nFile].c_str(), anNames, 256, nStep, nStep);
    if (eLoad != TextureLoad::kUnreadable) return eLoad == TextureLoad::kMade;
    const BuiltinPicture picture = GetBuiltinPicture(nFile + 1);
    return LoadScrollTexturesBytes(picture.pBytes, picture.nSize, anNames, 256, nStep, nStep);
}

// The same file as one texture of the picture as stored, for the texture matrix to scroll; its size in
// nWidth x nHeight (0 x 0 when nothing was made).
bool LoadLayerPicture(int nFile, GLuint& nName, int& nWidth, int& nHeight) {
    const TextureLoad eLoad = LoadScrollPictureFile(asSceneTextureFiles[nFile].c_str(), nName, nWidth, nHeight);
    if (eLoad != TextureLoad::kUnreadable) return eLoad == TextureLoad::kMade;
    const BuiltinPicture picture = GetBuiltinPicture(nFile + 1);
    return LoadScrollPictureBytes(picture.pBytes, picture.nSize, nName, nWidth, nHeight);
}

// Layer nLayer of the glass in the form chosen: false when its picture could not be made.
bool SetUpLayer(int nLayer, GLuint (&anNames)[256]) {
    const int nStep = kLayerSteps[nLayer];
    if (eSceneLayerForm == LayerForm::Precomputed) {
        const bool bMade = LoadLayerTextures(nLayer + 1, anNames, nStep);
        cSceneGlass.SetLayerTextures(nLayer, anNames, 256);
        return bMade;
    }
    std::fill(std::begin(anNames) + 1, std::end(anNames), 0u);
    int nWidth = 0, nHeight = 0;
    const bool bMade = LoadLayerPicture(nLayer + 1, anNames[0], nWidth, nHeight);
    cSceneGlass.SetLayerScroll(nLayer, anNames[0], 256, nWidth, nHeight, nStep, nStep);
    return bMade;
}

}  // namespace

void SetSceneClock(ITickCount* pClock) { pSceneClock = pClock; }

void SetSceneLayerForm(LayerForm eForm) { eSceneLayerForm = eForm; }

bool ParseLayerForm(const char* pszName, LayerForm& eForm) {
    for (LayerForm e : {LayerForm::Precomputed, LayerForm::Shifted})
        if (pszName && std::strcmp(pszName, LayerFormName(e)) == 0) {
            eForm = e;
            return true;
        }
    return false;
}

const char* LayerFormName(LayerForm eForm) { return eForm == LayerForm::Shifted ? "shifted" : "precomputed"; }

void SetSceneTextureFolder(const std::string& sFolder) {
    for (int k = 0; k < SCENE_TEXTURE_FILES; ++k)
        asSceneTextureFiles[k] = sFolder + "/Nerlo0" + std::to_string(k + 1) + ".bmp";
}

float SceneTimeFromTicks(uint64_t nStart, uint64_t nNow, int32_t nPeriod) {
    if (nPeriod == 0 || nNow <= nStart) return 0.0f;
    return static_cast<float>(static_cast<double>(nNow - nStart) / static_cast<double>(nPeriod));
}

SceneSchedule ComputeSchedule(float t) {
    SceneSchedule s{};
    const double dt = t;
    if (t < kMorphStart)
        s.fCameraZ = -5.0f;
    else if (t < kMorphEnd)
        s.fCameraZ = static_cast<float>(-5.0 - (dt - static_cast<double>(kMorphStart)) * 20.0);
    else
        s.fCameraZ = -13.0f;

    s.bDropIn = t >= 0.0f && t < kDropEnd;
    s.fDropY = s.bDropIn ? static_cast<float>(5.0 - 50.0 * dt) : 0.0f;

    s.bMorph = t >= kMorphStart && t < kMorphEnd;
    s.fCurveA = s.bMorph
        ? static_cast<float>((dt - static_cast<double>(kMorphStart)) * 10.0 * static_cast<double>(0.6666667f))
        : 0.0f;

    s.fRotX = kTurnX * t;
    s.fRotY = kTurnY * t;
    s.fRotZ = kTurnZ * t;

    // One frame every 50 ms: the integer part of 2000 t, taken from the exact product.
    s.nFrame = static_cast<int>(static_cast<int64_t>(2000.0 * dt) % 256);
    return s;
}

SceneSchedule ComputeSchedule(uint64_t nElapsedMs, int32_t nPeriod) {
    const float t = SceneTimeFromTicks(0, nElapsedMs, nPeriod);
    SceneSchedule s = ComputeSchedule(t);
    if (nPeriod <= 0 || !SceneStateSettled(t)) return s;
    s.fRotX = TurnDegrees(kTurnX, nElapsedMs, nPeriod);
    s.fRotY = TurnDegrees(kTurnY, nElapsedMs, nPeriod);
    s.fRotZ = TurnDegrees(kTurnZ, nElapsedMs, nPeriod);
    // 2000 frames a timeline: one every 50 ms of the 100 s one, counted in whole milliseconds.
    const uint64_t nPeriodMs = static_cast<uint64_t>(nPeriod);
    const uint64_t nFrames = nElapsedMs / nPeriodMs * 2000u + nElapsedMs % nPeriodMs * 2000u / nPeriodMs;
    s.nFrame = static_cast<int>(nFrames % 256u);
    return s;
}

double ScenePulsePhase(uint64_t nElapsedMs, int32_t nPeriod) {
    if (nPeriod <= 0) return 0.0;
    return std::fmod(300.0 * static_cast<double>(nElapsedMs) / static_cast<double>(nPeriod), kTwoPi);
}

float SceneRingRadius(float x) {
    const float t = fSceneTime;
    if (t < kPulseStart) return 0.5f;
    // Once settled the phase comes reduced from the exact elapsed time; before, from t as it always has.
    const double dPhase =
        SceneStateSettled(t) ? ScenePulsePhase(nSceneElapsedMs, nScenePeriod) : 300.0 * static_cast<double>(t);
    const double dWave = std::sin(dPhase + 4.0 * static_cast<double>(x));
    if (t < kPulseFull)
        return static_cast<float>(0.5 + (static_cast<double>(t) - static_cast<double>(kPulseStart)) * 0.5 * dWave);
    return static_cast<float>(0.5 + 0.2 * dWave);
}

int InitScene() {
    LoadEntryPoints();
    SetSwapInterval(0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetupScene(100000);
    pfnFrameProc = SceneFrame;
    return 1;
}

bool SetupScene(int32_t nPeriod) {
    int nFailures = 0;
    nScenePeriod = nPeriod;

    if (!LoadTintTexture()) ++nFailures;

    cSceneOverlay.bDepthWrite = false;
    cSceneOverlay.bBlend = true;
    cSceneOverlay.nBlendSrc = GL_SRC_ALPHA;
    cSceneOverlay.nBlendDst = GL_SRC_ALPHA;
    cSceneOverlay.fColour[0] = cSceneOverlay.fColour[1] = cSceneOverlay.fColour[2] = cSceneOverlay.fColour[3] = 1.0f;
    cSceneOverlay.Build();

    if (!SetUpLayer(0, anLayerTextures0)) ++nFailures;
    if (!SetUpLayer(1, anLayerTextures1)) ++nFailures;

    CGlassObject& g = cSceneGlass;
    g.bNormals = true;
    g.bBlend = false;
    g.nBlendSrc = GL_ONE;
    g.nBlendDst = GL_SRC_ALPHA;
    g.bMultiTexture = true;
    g.bSphereMap = true;
    g.bFlipFaces = false;
    g.fColour[0] = g.fColour[1] = g.fColour[2] = 1.0f;
    g.fColour[3] = 0.0f;
    g.SelectLayerFrame(0, 0);
    g.SelectLayerFrame(1, 0);
    g.nSegments = 200;
    g.nRingPoints = 20;
    g.fCurveA = 0.0f;
    g.fCurveB = 1.0f;
    g.pfnRadius = SceneRingRadius;

    return nFailures != 0;
}

bool DrawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glLoadIdentity();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (pfnFrameProc) pfnFrameProc();
    glPopAttrib();
    return true;
}

SceneSchedule UpdateSceneTime() {
    if (bSceneFirstFrame) {
        bSceneFirstFrame = false;
        nSceneStartMs = ReadClock();
    }
    const uint64_t nNow = ReadClock();
    const uint64_t nLastFrameMs = nSceneElapsedMs;
    nSceneElapsedMs = nNow > nSceneStartMs ? nNow - nSceneStartMs : 0;
    fSceneTime = SceneTimeFromTicks(nSceneStartMs, nNow, nScenePeriod);
    const SceneSchedule s = ComputeSchedule(nSceneElapsedMs, nScenePeriod);
    // Outside the morph window the amount is left as the last frame inside it wrote.
    if (s.bMorph) {
        cSceneGlass.fCurveA = s.fCurveA;
    } else if (SceneStateSettled(fSceneTime)) {
        // Nothing was drawn across the morph's end (the display was off, the page hidden): the tube
        // takes the shape a renderer drawing all along would have left, not the one of the last frame
        // seen long before.
        const uint64_t nMorphLastMs = SceneMorphLastMs(nScenePeriod);
        if (nLastFrameMs + kUndrawnMorphEndMs < nMorphLastMs)
            cSceneGlass.fCurveA = ComputeSchedule(nMorphLastMs, nScenePeriod).fCurveA;
    }
    return s;
}

bool SceneStateSettled(float t) { return t >= kMorphEnd; }

uint64_t SceneMorphLastMs(int32_t nPeriod) {
    if (nPeriod <= 0) return 0;
    // The first millisecond whose scene time is settled, found from the boundary's double value (a step
    // or two at most, since t is rounded to single precision).
    uint64_t nMs = static_cast<uint64_t>(std::ceil(static_cast<double>(kMorphEnd) * nPeriod));
    while (nMs > 0 && SceneStateSettled(SceneTimeFromTicks(0, nMs - 1, nPeriod))) --nMs;
    while (!SceneStateSettled(SceneTimeFromTicks(0, nMs, nPeriod))) ++nMs;
    return nMs - 1;
}

int SceneFrame() {
    glPushMatrix();
    glLoadIdentity();
    const SceneSchedule s = UpdateSceneTime();
    glTranslatef(0.0f, 0.0f, s.fCameraZ);
    if (s.bDropIn) glTranslatef(0.0f, s.fDropY, 0.0f);
    glRotatef(s.fRotX, 1.0f, 0.0f, 0.0f);
    glRotatef(s.fRotY, 0.0f, 1.0f, 0.0f);
    glRotatef(s.fRotZ, 0.0f, 0.0f, 1.0f);
    cSceneGlass.SelectLayerFrame(0, s.nFrame);
    cSceneGlass.SelectLayerFrame(1, s.nFrame);
    cSceneGlass.Draw();
    cSceneOverlay.Draw();
    glPopMatrix();
    return 0;
}
