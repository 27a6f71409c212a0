// More than one view of the one scene, as on a desk of several monitors: every view draws the same
// moment of the same clock at its own size, and keeps its own copy of what the scene carries from one
// frame to the next, so each shows exactly what a renderer of its own size would. The scene's globals
// stay the main view's; a single-view shell needs only the state, to keep it across setting the scene
// up again (the page after a lost graphics context).
#pragma once
#include <cstdint>

#include "renderer/tick_count.h"

// What a frame leaves behind for the next one, apart from the clock: the morph amount, which is only
// written inside the morph window and kept after it as the last frame there left it, and the moment of
// that frame (a frame long after it, past the window, takes the window's last amount).
struct SSceneViewState {
    float fCurveA = 0.0f;
    uint64_t nElapsedMs = 0;
};

SSceneViewState SceneViewState();
void SetSceneViewState(const SSceneViewState& state);

// A view beside the main one, drawn with the GL context already current on its buffer.
class CSceneView {
public:
    CSceneView(int nWidth, int nHeight) : nWidth(nWidth), nHeight(nHeight) {}

    // Draws the frame of this turn at this view's size with this view's state, and puts the main view's
    // state, viewport and projection (nMainWidth x nMainHeight) back. The first frame of a view starts
    // from the main view's state, so a view made during a run carries on where the run is.
    void Draw(int nMainWidth, int nMainHeight);

private:
    int nWidth;
    int nHeight;
    bool bStarted = false;
    SSceneViewState state;
};

// The clock of one turn of the loop: the source is read once per turn (Latch), so every view drawn in
// that turn draws the same millisecond.
class CTurnClock : public ITickCount {
public:
    explicit CTurnClock(ITickCount& source) : source(source) {}
    void Latch() { nNow = source.GetTickCount64(); }
    uint64_t GetTickCount64() override { return nNow; }

private:
    ITickCount& source;
    uint64_t nNow = 0;
};
