// An OpenGL compatibility context without any window: EGL on Mesa's surfaceless platform, drawing
// into a framebuffer object of a chosen size. Native Linux only (frame renderer and GL tests).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CEglContext {
public:
    CEglContext() = default;
    ~CEglContext();
    CEglContext(const CEglContext&) = delete;
    CEglContext& operator=(const CEglContext&) = delete;

    // Makes a context current with a width x height colour (RGBA8) and 16-bit depth target bound.
    // False, with the reason in Error(), when EGL or the driver cannot provide one.
    bool Open(int nWidth, int nHeight);
    void Close();

    // The target's pixels as R G B rows, top row first (as seen on a screen).
    std::vector<uint8_t> ReadRgbTopDown() const;

    int Width() const { return nWidth; }
    int Height() const { return nHeight; }
    const std::string& Error() const { return sError; }

private:
    void* pDisplay = nullptr;
    void* pContext = nullptr;
    unsigned nFramebuffer = 0;
    unsigned anRenderbuffers[2] = {0, 0};
    int nWidth = 0;
    int nHeight = 0;
    std::string sError;
};
