// The scene clock's source: a millisecond count 64 bits wide, which no run of the saver ever sees wrap.
// The renderer reads time only through this port, so tests and the frame renderer can set any moment.
#pragma once
#include <cstdint>

class ITickCount {
public:
    virtual ~ITickCount() = default;
    // Milliseconds since some fixed start, as GetTickCount64 gives them.
    virtual uint64_t GetTickCount64() = 0;
};

// A clock that reads whatever it was last set to.
class CFixedTickCount : public ITickCount {
public:
    explicit CFixedTickCount(uint64_t nNow = 0) : nNow(nNow) {}
    uint64_t GetTickCount64() override { return nNow; }
    void Set(uint64_t nValue) { nNow = nValue; }
    void Advance(uint64_t nMs) { nNow += nMs; }

private:
    uint64_t nNow;
};

// A 32-bit millisecond count that wraps every 2^32 ms (49.7 days), as ::GetTickCount gives it, made
// 64 bits wide: a reading below the one before it is taken as one wrap. It must be read at least once
// in every 49.7 days; a saver reads it every frame.
class CWideningTickCount : public ITickCount {
public:
    uint64_t GetTickCount64() override {
        const uint32_t dwNow = ReadTicks32();
        if (dwNow < dwLast) ++nWraps;
        dwLast = dwNow;
        return (nWraps << 32) | dwNow;
    }

protected:
    virtual uint32_t ReadTicks32() = 0;

private:
    uint32_t dwLast = 0;
    uint64_t nWraps = 0;
};

// A 32-bit count set by hand, widened as the system's is: a run across the 49.7-day wrap, made at once.
class CFixedTickCount32 : public CWideningTickCount {
public:
    explicit CFixedTickCount32(uint32_t dwNow = 0) : dwNow(dwNow) {}
    void Set(uint32_t dwValue) { dwNow = dwValue; }
    void Advance(uint32_t dwMs) { dwNow += dwMs; }

protected:
    uint32_t ReadTicks32() override { return dwNow; }

private:
    uint32_t dwNow;
};
