#include "renderer/key_table.h"

void CKeyTable::KeyDown(std::size_t nKey) {
    if (nKey >= 256) return;
    abDown[nKey] = true;
    if (nKey == kEscapeKey) bEscapePressed = true;
}

void CKeyTable::KeyUp(std::size_t nKey) {
    if (nKey < 256) abDown[nKey] = false;
}

bool CKeyTable::IsDown(std::size_t nKey) const { return nKey < 256 && abDown[nKey]; }

bool CKeyTable::EscapeEndsRun() {
    const bool bEnds = abDown[kEscapeKey] || bEscapePressed;
    bEscapePressed = false;
    return bEnds;
}

void CKeyTable::SkipTurn() { bEscapePressed = false; }
