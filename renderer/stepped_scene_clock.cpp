#include "renderer/stepped_scene_clock.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "renderer/scene.h"

bool ParseSceneSeconds(const char* psz, uint64_t& nMs) {
    if (psz == nullptr) return false;
    char* pEnd = nullptr;
    errno = 0;
    const double dSeconds = std::strtod(psz, &pEnd);
    if (pEnd == psz || *pEnd != '\0' || errno || !std::isfinite(dSeconds)) return false;
    if (dSeconds < 0.0 || dSeconds * 1000.0 > static_cast<double>(kLongestSceneMs)) return false;
    nMs = static_cast<uint64_t>(std::llround(dSeconds * 1000.0));
    return true;
}

void CSteppedSceneClock::Start() {
    nNow = kStartTick;
    nLastMs = 0;
    bSettled = false;
    UpdateSceneTime();
}

void CSteppedSceneClock::StepTo(uint64_t nMs) {
    if (nMs < nLastMs) nMs = nLastMs;
    for (uint64_t nStep = nLastMs + 1; nStep < nMs && !bSettled; ++nStep) {
        nNow = kStartTick + nStep;
        UpdateSceneTime();
        bSettled = SceneStateSettled(fSceneTime);
    }
    nNow = kStartTick + nMs;
    nLastMs = nMs;
}
