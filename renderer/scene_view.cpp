#include "renderer/scene_view.h"

#include "renderer/render_state.h"
#include "renderer/scene.h"

SSceneViewState SceneViewState() { return {cSceneGlass.fCurveA, nSceneElapsedMs}; }

void SetSceneViewState(const SSceneViewState& state) {
    cSceneGlass.fCurveA = state.fCurveA;
    nSceneElapsedMs = state.nElapsedMs;
}

void CSceneView::Draw(int nMainWidth, int nMainHeight) {
    const SSceneViewState main = SceneViewState();
    if (!bStarted) {
        bStarted = true;
        state = main;
    }
    SetSceneViewState(state);
    ResizeViewport(nWidth, nHeight);
    DrawFrame();
    state = SceneViewState();
    SetSceneViewState(main);
    ResizeViewport(nMainWidth, nMainHeight);
}
