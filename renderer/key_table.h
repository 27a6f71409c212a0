// The renderer's keys: which are down, and the one rule that reads them. Escape ends a run when a
// drawing turn finds it down, and also when it was pressed since the last turn and already let go:
// a slow frame can outlast a short tap, and the turn only comes after both messages were handled.
#pragma once
#include <cstddef>

inline constexpr std::size_t kEscapeKey = 27;

class CKeyTable {
public:
    // Key codes outside 0 to 255 are ignored.
    void KeyDown(std::size_t nKey);
    void KeyUp(std::size_t nKey);
    bool IsDown(std::size_t nKey) const;

    // A drawing turn's look at Escape: true when it is down, or was pressed since the last turn.
    bool EscapeEndsRun();
    // A turn that draws nothing (the window is minimised) does not look at Escape; a press that was
    // already let go is forgotten, one still held is seen once the window is back.
    void SkipTurn();

private:
    bool abDown[256] = {};
    bool bEscapePressed = false;
};
