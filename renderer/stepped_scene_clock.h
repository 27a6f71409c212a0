// A scene clock that shows chosen moments exactly: the frame renderer's --time, the hack's -time and
// the web page's ?t all draw through it, so a still of a moment is the same picture everywhere.
#pragma once
#include <cstdint>

#include "renderer/tick_count.h"

// The latest moment a still can show: ten years of 365 days (315,360,000 s) after the start.
constexpr uint64_t kLongestSceneMs = 315360000000u;

// Reads a moment given in seconds (as "6", "6.125" or "1e1") into milliseconds of the scene clock,
// rounded to the nearest. False for anything else, for negative times and beyond kLongestSceneMs.
bool ParseSceneSeconds(const char* psz, uint64_t& nMs);

class CSteppedSceneClock : public ITickCount {
public:
    uint64_t GetTickCount64() override { return nNow; }

    // Latches the scene's start (t = 0) with one clock reading; call once the scene is set up and this
    // clock is the scene's clock, before the first StepTo.
    void Start();
    // Brings the clock to nMs milliseconds after the start; the next DrawFrame draws that moment. Every
    // millisecond between the last moment and this one is read by the scene as a frame would, so what
    // carries from frame to frame (the morph amount) is what a renderer drawing flat out would have.
    // Once the scene carries nothing more (the morph is over, at 70 s) the walk stops and the clock
    // jumps: any allowed moment, up to ten years, is reached at once and draws the same picture.
    // A moment before the last one is taken as the last one: the scene never runs backwards.
    void StepTo(uint64_t nMs);

private:
    // Any value serves: the scene only looks at differences.
    static constexpr uint64_t kStartTick = 1000;
    uint64_t nNow = kStartTick;
    uint64_t nLastMs = 0;
    bool bSettled = false;  // no later frame changes what frames carry: stepping is over
};
