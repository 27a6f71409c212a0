// The native savers' time: the monotonic clock, which neither the user nor NTP can set back, in
// microseconds for pacing and as the scene's millisecond tick count.
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
    uint32_t GetTickCount() override { return static_cast<uint32_t>(MonotonicMicroseconds() / 1000u); }
};
