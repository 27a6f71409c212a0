#include "renderer/stepped_scene_clock.h"

#include "renderer/scene.h"

void CSteppedSceneClock::Start() {
    dwNow = kStartTick;
    nLastMs = 0;
    UpdateSceneTime();
}

void CSteppedSceneClock::StepTo(uint32_t nMs) {
    if (nMs < nLastMs) nMs = nLastMs;
    for (uint32_t nStep = nLastMs + 1; nStep < nMs; ++nStep) {
        dwNow = kStartTick + nStep;
        UpdateSceneTime();
    }
    dwNow = kStartTick + nMs;
    nLastMs = nMs;
}
