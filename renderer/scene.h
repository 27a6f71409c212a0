// The renderer's one scene: its set-up, its clock, the schedule that turns elapsed time into camera
// moves, morph, tube radius and texture frame, and the per-frame order of drawing.
#pragma once
#include <cstdint>
#include <string>

#include "renderer/gl.h"
#include "renderer/glass_object.h"
#include "renderer/overlay.h"
#include "renderer/tick_count.h"

// What the schedule asks of one frame at scene time t (one unit of t is the 100 s timeline).
struct SceneSchedule {
    float fCameraZ;      // translation along z
    bool bDropIn;        // the drop-in translation applies
    float fDropY;        // its height
    bool bMorph;         // fCurveA is written this frame
    float fCurveA;       // the value written
    float fRotX, fRotY, fRotZ;  // tumble angles in degrees
    int nFrame;          // texture frame of both layers
};

SceneSchedule ComputeSchedule(float t);
// The schedule of the frame nElapsedMs after the start, the timeline nPeriod ms long: that of its scene
// time t while the scene changes (the first 70 s); after that, when only the tumble, the pulse and the
// texture frame move, those come from the exact elapsed milliseconds, so they move as smoothly after
// years as in the first minutes (a single-precision t steps by 195 ms at 30 days).
SceneSchedule ComputeSchedule(uint64_t nElapsedMs, int32_t nPeriod);
// The pulse's phase in radians (300 t) nElapsedMs after the start, reduced to [0, 2 pi).
double ScenePulsePhase(uint64_t nElapsedMs, int32_t nPeriod);

// Scene time from the latched start and the current reading of the 64-bit clock; a reading before the
// start counts as the start.
float SceneTimeFromTicks(uint64_t nStart, uint64_t nNow, int32_t nPeriod);

// How the two glass layers scroll through their 256 frames. Precomputed: every frame is a texture of
// its own, made at set-up (2 x 256, the Windows renderer's form). Shifted: one texture per layer, the
// picture as stored, and the frame's shift given by that layer's texture matrix while the tube is drawn
// (the frames are exact cyclic shifts and the layers repeat, so the pictures are the same). The shell
// chooses before InitScene; the next set-up makes that form.
enum class LayerForm { Precomputed, Shifted };
void SetSceneLayerForm(LayerForm eForm);
// "precomputed" or "shifted" (as a command line names them); false for any other word.
bool ParseLayerForm(const char* pszName, LayerForm& eForm);
const char* LayerFormName(LayerForm eForm);

int InitScene();
bool SetupScene(int32_t nPeriod);
bool DrawFrame();
int SceneFrame();
float SceneRingRadius(float x);

// Reads the clock for a new frame (latching the start on the first) and applies the parts of the
// schedule that change scene state (the morph amount). SceneFrame draws with what this returns;
// the frame renderer also calls it alone to step the clock between the frames it draws.
SceneSchedule UpdateSceneTime();
// True from the scene time on which no frame writes scene state any more (the morph amount is last
// written before 70 s): a frame drawn later, however many came between, leaves the scene as it was.
bool SceneStateSettled(float t);
// The last millisecond of the morph window: the frame at it writes the morph amount the tube keeps.
// A frame after the window that follows more than a second without frames takes that amount, so a
// stretch without drawing (a display off, a hidden page) leaves the tube as a renderer drawing all along.
uint64_t SceneMorphLastMs(int32_t nPeriod);

// Where the scene's clock comes from; the program sets it before the scene starts.
void SetSceneClock(ITickCount* pClock);

// The three texture files: the tint picture and the two layer pictures (the second also the backdrop).
enum { SCENE_TEXTURE_FILES = 3 };
extern std::string asSceneTextureFiles[SCENE_TEXTURE_FILES];
// Points the three texture files at Nerlo01.bmp to Nerlo03.bmp in sFolder (a native path, '/'-separated).
void SetSceneTextureFolder(const std::string& sFolder);

extern int (*pfnFrameProc)();
extern int32_t nScenePeriod;
extern bool bSceneFirstFrame;
extern uint64_t nSceneStartMs;    // the clock's reading on the first frame
extern uint64_t nSceneElapsedMs;  // milliseconds from then to this frame, exactly
extern float fSceneTime;          // the same as a fraction of the timeline, in single precision
extern GLuint nTintTexture;
// Each layer's textures: all 256 frames in the precomputed form, the one picture at [0] (the rest 0)
// in the shifted form.
extern GLuint anLayerTextures0[256];
extern GLuint anLayerTextures1[256];
extern CGlassObject cSceneGlass;
extern COverlay cSceneOverlay;
