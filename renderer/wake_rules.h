// When a screensaver that covers the screen by itself (the Wayland shell) gives the desktop back: the
// user's key, button or touch, a pointer that really moved, a locker that took the keyboard, an ending
// signal, or no surface left to draw on. A saver drawn as a background takes no input and ends only on
// a signal. The shell feeds in what happened and ends the run once this says so.
#pragma once
#include <cstdint>

enum class WakeReason {
    None,
    Key,        // a key pressed (a release alone is not the user coming back)
    Button,     // a pointer button pressed
    Touch,      // a finger on the screen
    Locked,     // something above the saver (a screen locker) took the keyboard from it
    Pointer,    // the pointer moved beyond kWakeDistance from where it first rested on a surface
    Signal,     // SIGTERM, SIGINT or SIGHUP
    NoSurface,  // the compositor closed or took away every surface
};

// How far, in surface coordinates, the pointer may wander before it counts as the user: a table
// knocked or a mouse settling after the saver appeared moves it a pixel or two.
constexpr double kWakeDistance = 10.0;

// How long the keyboard may be away from every surface of the saver before something else is taken to
// hold it: moving between the saver's own surfaces (an output coming or going) is a leave and an enter
// that arrive together.
constexpr uint64_t kKeyboardGraceUs = 500000;

class CWakeRules {
public:
    // bTakesInput: false for the background, where only a signal ends the run.
    explicit CWakeRules(bool bTakesInput) : bTakesInput(bTakesInput) {}

    void OnKeyPress();
    void OnButtonPress();
    // The pointer came onto a surface at (x, y) in that surface's coordinates, or a surface appeared
    // under it: where it rests now is where later motion is measured from, and the next motion event
    // is the compositor placing it, not the user.
    void OnPointerEnter(double x, double y);
    void OnPointerMotion(double x, double y);
    void OnTouchDown();
    // The keyboard came to one of the saver's surfaces, or left one (at nNowUs, a monotonic time). A
    // saver's surface holds the keyboard exclusively, so only something above it takes it away for
    // good: a saver whose keyboard stays away from all its surfaces longer than the grace has been
    // covered by a locker (a session lock takes every client's keyboard), and ends, so that unlocking
    // shows the desktop and not the saver again.
    void OnKeyboardEnter();
    void OnKeyboardLeave(uint64_t nNowUs);
    // The time is now nNowUs: ends a run whose keyboard stayed away past the grace.
    void OnTime(uint64_t nNowUs);
    // When OnTime must next be called for that (UINT64_MAX: nothing waits on the time).
    uint64_t NextCheckUs() const;
    void OnSignal();
    // The number of surfaces still shown, after one came or went.
    void OnSurfaceCount(unsigned nSurfaces);

    WakeReason Reason() const { return eReason; }
    bool Ended() const { return eReason != WakeReason::None; }

private:
    void EndWith(WakeReason e);

    bool bTakesInput;
    WakeReason eReason = WakeReason::None;
    bool bRest = false;         // a resting point is known
    bool bPlacingMotion = false;  // the next motion event only places the pointer
    double fRestX = 0.0, fRestY = 0.0;
    bool bKeyboardAway = false;   // it had the keyboard and lost it
    uint64_t nKeyboardLeftUs = 0;
};
