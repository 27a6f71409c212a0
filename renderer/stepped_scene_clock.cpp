#include "renderer/stepped_scene_clock.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "renderer/scene.h"

bool ParseSceneSeconds(const char* psz, uint32_t& nMs) {
    if (psz == nullptr) return false;
    char* pEnd = nullptr;
    errno = 0;
    const double dSeconds = std::strtod(psz, &pEnd);
    if (pEnd == psz || *pEnd != '\0' || errno || !std::isfinite(dSeconds)) return false;
    // The tick count is 32 bits: at most about 49.7 days.
    if (dSeconds < 0.0 || dSeconds * 1000.0 > 4294967295.0) return false;
    nMs = static_cast<uint32_t>(std::llround(dSeconds * 1000.0));
    return true;
}

void CSteppedSceneClock::Start() {
    dwNow = kStartTick;
    nLastMs = 0;
    bSettled = false;
    UpdateSceneTime();
}

void CSteppedSceneClock::StepTo(uint32_t nMs) {
    if (nMs < nLastMs) nMs = nLastMs;
    for (uint32_t nStep = nLastMs + 1; nStep < nMs && !bSettled; ++nStep) {
        dwNow = kStartTick + nStep;
        UpdateSceneTime();
        bSettled = SceneStateSettled(fSceneTime);
    }
    dwNow = kStartTick + nMs;
    nLastMs = nMs;
}
