// The renderer's run rules that need no window: the Escape key rule and where the monitor covers go.
#include <gtest/gtest.h>

#include <vector>

#include "renderer/cover_layout.h"
#include "renderer/key_table.h"

namespace {

// A drawing turn comes after every queued key message was handled: each case is one batch of key
// messages (positive: down, negative: up) followed by one turn.
struct KeyTurnCase {
    const char* pszWhat;
    std::vector<std::vector<int>> aBatches;  // the key messages before each turn
    std::vector<bool> aEnds;                 // whether that turn ends the run
    bool bMinimisedFirst = false;            // the first turn draws nothing
};

TEST(KeyTable, EscapeEndsTheRunOnTheNextTurnHoweverSoonItIsReleased) {
    const int kEsc = static_cast<int>(kEscapeKey);
    const KeyTurnCase aCases[] = {
        {"held", {{kEsc}}, {true}},
        {"pressed and released before the turn", {{kEsc, -kEsc}}, {true}},
        {"released during a later batch", {{}, {kEsc}, {-kEsc}}, {false, true, false}},
        {"a tap is seen once, not again", {{kEsc, -kEsc}, {}}, {true, false}},
        {"other keys, held or tapped", {{'A', ' '}, {-'A', 13, -13}}, {false, false}},
        {"a release alone", {{-kEsc}}, {false}},
        {"tapped while minimised: forgotten", {{kEsc, -kEsc}, {}}, {false, false}, true},
        {"held while minimised: seen once the window is back", {{kEsc}, {}}, {false, true}, true},
    };
    for (const KeyTurnCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        CKeyTable cKeys;
        for (std::size_t i = 0; i < c.aBatches.size(); ++i) {
            for (int n : c.aBatches[i]) {
                if (n > 0) {
                    cKeys.KeyDown(static_cast<std::size_t>(n));
                } else {
                    cKeys.KeyUp(static_cast<std::size_t>(-n));
                }
            }
            if (i == 0 && c.bMinimisedFirst) {
                cKeys.SkipTurn();
                EXPECT_FALSE(c.aEnds[i]);
                continue;
            }
            EXPECT_EQ(cKeys.EscapeEndsRun(), c.aEnds[i]) << "turn " << i;
        }
    }
}

TEST(KeyTable, KeepsTheDownStateAndIgnoresCodesOutsideTheTable) {
    CKeyTable cKeys;
    cKeys.KeyDown('A');
    cKeys.KeyDown(256 + kEscapeKey);
    cKeys.KeyDown(100000);
    EXPECT_TRUE(cKeys.IsDown('A'));
    EXPECT_FALSE(cKeys.IsDown(256 + kEscapeKey));
    EXPECT_FALSE(cKeys.EscapeEndsRun()) << "a code past the table reached Escape";
    cKeys.KeyUp('A');
    EXPECT_FALSE(cKeys.IsDown('A'));
}

struct LayoutCase {
    const char* pszWhat;
    std::vector<SScreenRect> aMonitors;
    std::vector<SScreenRect> aCovers;
};

TEST(CoverLayout, CoversWhatThePrimaryDoesNotShow) {
    const SScreenRect rcPrimary = {0, 0, 1024, 768};
    const LayoutCase aCases[] = {
        {"one monitor", {rcPrimary}, {}},
        {"right of it", {rcPrimary, {1024, 0, 2048, 768}}, {{1024, 0, 2048, 768}}},
        {"left, above, negative coordinates",
         {{-1920, -312, 0, 768}, rcPrimary, {0, -1080, 1920, 0}},
         {{-1920, -312, 0, 768}, {0, -1080, 1920, 0}}},
        {"mirrored monitor reported twice", {rcPrimary, {1024, 0, 2048, 768}, {1024, 0, 2048, 768}},
         {{1024, 0, 2048, 768}}},
        {"empty monitor", {rcPrimary, {3000, 0, 3000, 768}}, {}},
        {"larger monitor around the primary: the ring",
         {{-100, -50, 1124, 818}},
         {{-100, -50, 1124, 0}, {-100, 768, 1124, 818}, {-100, 0, 0, 768}, {1024, 0, 1124, 768}}},
        {"overlapping the primary's right part", {{800, 0, 1824, 768}}, {{1024, 0, 1824, 768}}},
    };
    for (const LayoutCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        const std::vector<SScreenRect> aGot = CoverLayout(c.aMonitors, rcPrimary);
        ASSERT_EQ(aGot.size(), c.aCovers.size());
        for (std::size_t i = 0; i < aGot.size(); ++i) {
            EXPECT_TRUE(aGot[i] == c.aCovers[i]) << "cover " << i << ": " << aGot[i].nLeft << "," << aGot[i].nTop
                                                 << " - " << aGot[i].nRight << "," << aGot[i].nBottom;
        }
    }
}

}  // namespace
