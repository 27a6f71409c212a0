// What the native hack's tests need around it: a private Xvfb with GLX, the hack as a child process
// with its own environment, pixels read back from X windows, and the headless frame renderer's picture
// of the moment nearest to a screenshot.
#pragma once
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> aRgb;  // top row first
};

// A private X server on a display number it picks itself (-displayfd), with GLX; stopped on destruction.
class CXvfb {
public:
    ~CXvfb() { Stop(); }
    // False, with the reason in Error(), when Xvfb is missing or does not come up.
    bool Start(int nWidth, int nHeight);
    void Stop();
    const std::string& Name() const { return sName; }
    const std::string& Error() const { return sError; }

private:
    pid_t nPid = -1;
    std::string sName, sError;
};

// A child process: argv[0] is the program path; aEnv adds to (or replaces in) the test's environment.
class CChild {
public:
    ~CChild() { Kill(); }
    bool Start(const std::vector<std::string>& aArgs, const std::vector<std::string>& aEnv,
               const std::string& sStderrFile);
    // The exit status as waitpid gives it, or -1 when the child is still running after nTimeoutMs.
    int WaitMs(int nTimeoutMs);
    bool Running();
    void Kill();
    pid_t Pid() const { return nPid; }

private:
    pid_t nPid = -1;
};

uint64_t NowMs();
void SleepMs(int nMs);
std::string ReadFile(const std::string& sPath);

// The first top-level window with that name (WM_NAME), or 0.
Window FindWindowByName(Display* pDisplay, const std::string& sName);
// The window's pixels; an empty picture when it cannot be read.
RgbPicture GrabWindow(Display* pDisplay, Window nWindow);
// Root-mean-square difference of two pictures of the same size, 0 (same) to 1, as ImageMagick's RMSE.
double Rmse(const RgbPicture& a, const RgbPicture& b);
// Share of pixels whose colour is exactly (r, g, b).
double ShareOfColour(const RgbPicture& a, uint8_t r, uint8_t g, uint8_t b);

// The headless frame renderer's picture of the scene at nMs after its start, at that size; empty when
// it cannot be drawn.
RgbPicture HeadlessFrame(const std::string& sFramesTool, int nWidth, int nHeight, uint32_t nMs);
// Calls fnGot until it returns true or nTimeoutMs pass; true when it did. Polls every 20 ms.
template <typename F>
bool WaitUntil(int nTimeoutMs, F fnGot) {
    const uint64_t nDeadline = NowMs() + static_cast<uint64_t>(nTimeoutMs);
    for (;;) {
        if (fnGot()) return true;
        if (NowMs() >= nDeadline) return false;
        SleepMs(20);
    }
}

// A folder under /tmp removed with everything in it on destruction.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    const std::string& Path() const { return sPath; }
    std::vector<std::string> Entries() const;

private:
    std::string sPath;
};
