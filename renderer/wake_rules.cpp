#include "renderer/wake_rules.h"

void CWakeRules::EndWith(WakeReason e) {
    // The first reason stands: surfaces torn down after a key still ended by the key.
    if (eReason == WakeReason::None) eReason = e;
}

void CWakeRules::OnKeyPress() {
    if (bTakesInput) EndWith(WakeReason::Key);
}

void CWakeRules::OnButtonPress() {
    if (bTakesInput) EndWith(WakeReason::Button);
}

void CWakeRules::OnPointerEnter(double x, double y) {
    bRest = true;
    bPlacingMotion = true;
    fRestX = x;
    fRestY = y;
}

void CWakeRules::OnPointerMotion(double x, double y) {
    if (!bRest || bPlacingMotion) {
        // Motion before any enter, or the first one after it: the compositor putting the pointer on
        // the new surface. Measure from here.
        bRest = true;
        bPlacingMotion = false;
        fRestX = x;
        fRestY = y;
        return;
    }
    const double dx = x - fRestX, dy = y - fRestY;
    if (bTakesInput && dx * dx + dy * dy > kWakeDistance * kWakeDistance) EndWith(WakeReason::Pointer);
}

void CWakeRules::OnTouchDown() {
    if (bTakesInput) EndWith(WakeReason::Touch);
}

void CWakeRules::OnKeyboardEnter() { bKeyboardAway = false; }

void CWakeRules::OnKeyboardLeave(uint64_t nNowUs) {
    if (!bTakesInput || bKeyboardAway) return;
    bKeyboardAway = true;
    nKeyboardLeftUs = nNowUs;
}

void CWakeRules::OnTime(uint64_t nNowUs) {
    if (bKeyboardAway && nNowUs - nKeyboardLeftUs >= kKeyboardGraceUs) EndWith(WakeReason::Locked);
}

uint64_t CWakeRules::NextCheckUs() const {
    return bKeyboardAway && !Ended() ? nKeyboardLeftUs + kKeyboardGraceUs : UINT64_MAX;
}

void CWakeRules::OnSignal() { EndWith(WakeReason::Signal); }

void CWakeRules::OnSurfaceCount(unsigned nSurfaces) {
    // A background waits for outputs to come back; a saver with nothing left to cover is done.
    if (bTakesInput && nSurfaces == 0) EndWith(WakeReason::NoSurface);
}
