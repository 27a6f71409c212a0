// The scene clock's source: a millisecond tick count that wraps at 2^32.
// The renderer reads time only through this port, so tests and the frame renderer can set any moment.
#pragma once
#include <cstdint>

class ITickCount {
public:
    virtual ~ITickCount() = default;
    // Milliseconds since some fixed start, as GetTickCount gives them.
    virtual uint32_t GetTickCount() = 0;
};

// A clock that reads whatever it was last set to.
class CFixedTickCount : public ITickCount {
public:
    explicit CFixedTickCount(uint32_t dwNow = 0) : dwNow(dwNow) {}
    uint32_t GetTickCount() override { return dwNow; }
    void Set(uint32_t dwValue) { dwNow = dwValue; }
    void Advance(uint32_t dwMs) { dwNow += dwMs; }

private:
    uint32_t dwNow;
};
