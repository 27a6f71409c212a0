// The window the native hack draws on and its GLX context: a window of its own, xscreensaver's window
// (or the root window), or any window named by id. Owns the display connection, turns X events into
// the run's events, tells the run whether the server has the monitor powered down, and survives the
// window being destroyed under it.
#pragma once
#include <csignal>
#include <cstdint>
#include <string>

#include "renderer/saver_options.h"
#include "renderer/hack_run.h"

class CHackWindow : public IDisplayPower {
public:
    CHackWindow() = default;
    ~CHackWindow() override { Close(); }
    CHackWindow(const CHackWindow&) = delete;
    CHackWindow& operator=(const CHackWindow&) = delete;

    // Connects, finds or makes the window and makes a GL context current on it; false, with the
    // reason in sError, when any step fails (what was made is released by Close).
    bool Open(const SaverOptions& cOptions, std::string& sError);
    // Releases the context, then its own window (never a window it was lent), then the connection.
    void Close();

    bool IsOwnWindow() const { return bOwnWindow; }
    int Width() const { return nWidth; }
    int Height() const { return nHeight; }

    // Waits at most nUs microseconds for an X event or a signal, with pSignalMask as the signal mask
    // meanwhile (the signals that end the run are blocked everywhere else, so none slips in between
    // checking for it and waiting). A wait of 0 still lets a pending signal in.
    void Wait(uint64_t nUs, const sigset_t* pSignalMask);
    // Hands every queued event, and a window the server says is gone, to the run.
    void PumpEvents(CHackRun& cRun);
    // Prepares the frame-rate text on the picture (X's "fixed" font as GL display lists); false when
    // the server has no such font, and the rate then goes to standard error.
    bool PrepareFrameRateText();
    // Writes the text into the bottom left corner of the frame just drawn, leaving the GL state as it was.
    void DrawFrameRateText(const std::string& sText);
    // Shows the frame just drawn and waits for the server to take it, so that errors and events
    // about the window arrive before the next frame.
    void Present();

    // What the server's DPMS says of the monitor now (one round trip); a server without the extension
    // is asked nothing after the first time.
    DisplayPowerReport QueryPower() override;

    // Called when the connection to the display is lost, just before the process ends: Xlib does not
    // let the program go on.
    static void SetConnectionLostHandler(void (*pfn)());

private:
    struct Impl;
    Impl* pImpl = nullptr;
    bool bOwnWindow = false;
    unsigned nFontLists = 0;
    int nFontAscent = 0;
    int nFontAdvance = 0;
    int nWidth = 0, nHeight = 0;
};
