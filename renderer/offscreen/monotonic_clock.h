// The native savers' time: the monotonic clock, which neither the user nor NTP can set back, in
// microseconds for pacing and, in milliseconds, as the scene's 64-bit clock.
#pragma once
#include <cstdint>
#include <ctime>

#include "renderer/tick_count.h"

inline uint64_t MonotonicMicroseconds() {
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

class CMonotonicTickCount : public ITickCount {
public:
    uint64_t GetTickCount64() override { return MonotonicMicroseconds() / 1000u; }
};
