// The renderer's run rules that need no window: the Escape key rule, where the monitor covers go, and
// when the display's power lets it draw.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "renderer/display_power.h"
#include "renderer/monitor_layout.h"
#include "renderer/renderer_options.h"
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
    std::vector<SMonitorPiece> aPieces;
};

TEST(MonitorLayout, SceneOnEveryMonitorApartFromThePrimaryCoversWhereItOverlaps) {
    const SScreenRect rcPrimary = {0, 0, 1024, 768};
    const LayoutCase aCases[] = {
        {"one monitor", {rcPrimary}, {}},
        {"right of it, another size", {rcPrimary, {1024, 0, 2304, 720}}, {{{1024, 0, 2304, 720}, true, 1}}},
        {"left, above, negative coordinates",
         {{-1920, -312, 0, 768}, rcPrimary, {0, -1080, 1920, 0}},
         {{{-1920, -312, 0, 768}, true, 0}, {{0, -1080, 1920, 0}, true, 2}}},
        {"mirrored monitor reported twice", {rcPrimary, {1024, 0, 2048, 768}, {1024, 0, 2048, 768}},
         {{{1024, 0, 2048, 768}, true, 1}}},
        {"empty monitor", {rcPrimary, {3000, 0, 3000, 768}}, {}},
        {"larger monitor around the primary: a black ring",
         {{-100, -50, 1124, 818}},
         {{{-100, -50, 1124, 0}, false, 0},
          {{-100, 768, 1124, 818}, false, 0},
          {{-100, 0, 0, 768}, false, 0},
          {{1024, 0, 1124, 768}, false, 0}}},
        {"overlapping the primary's right part", {rcPrimary, {800, 0, 1824, 768}}, {{{1024, 0, 1824, 768}, false, 1}}},
    };
    for (const LayoutCase& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        const std::vector<SMonitorPiece> aGot = MonitorLayout(c.aMonitors, rcPrimary);
        ASSERT_EQ(aGot.size(), c.aPieces.size());
        for (std::size_t i = 0; i < aGot.size(); ++i) {
            const SScreenRect& rc = aGot[i].rc;
            EXPECT_TRUE(rc == c.aPieces[i].rc) << "piece " << i << ": " << rc.nLeft << "," << rc.nTop << " - "
                                               << rc.nRight << "," << rc.nBottom;
            EXPECT_EQ(aGot[i].bScene, c.aPieces[i].bScene) << "piece " << i;
            EXPECT_EQ(aGot[i].nMonitor, c.aPieces[i].nMonitor) << "piece " << i;
        }
    }
}

// A display change keeps every window whose piece is unchanged; a moved, resized or re-roled piece
// gets a new one, and a window serves one piece at most.
TEST(MonitorLayout, ADisplayChangeKeepsTheWindowsOfUnchangedPieces) {
    const SMonitorPiece right = {{1024, 0, 2304, 720}, true, 1}, left = {{-768, 0, 0, 1024}, true, 2};
    const SMonitorPiece rightMoved = {{1024, 48, 2304, 768}, true, 1}, rightCovered = {{1024, 0, 2304, 720}, false, 1};
    const struct {
        const char* pszWhat;
        std::vector<SMonitorPiece> aBefore, aNow;
        std::vector<int> aKept;
    } aCases[] = {
        {"nothing changed", {right, left}, {right, left}, {0, 1}},
        {"reported in another order", {right, left}, {left, right}, {1, 0}},
        {"one monitor moved", {right, left}, {rightMoved, left}, {-1, 1}},
        {"a scene turned cover", {right}, {rightCovered}, {-1}},
        {"a monitor came", {right}, {left, right}, {-1, 0}},
        {"the same piece twice", {right}, {right, right}, {0, -1}},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        EXPECT_EQ(KeptPieces(c.aBefore, c.aNow), c.aKept);
    }
}

TEST(RendererCommandLine, OnlyAWellFormedTimePinsAMomentAnythingElseRunsLive) {
    struct Case {
        const char* pszLine;
        bool bPinned;
        uint64_t nMs;
    };
    const Case aCases[] = {
        {"", false, 0},
        {nullptr, false, 0},
        {"--time 6", true, 6000},
        {"  --time\t75.5  ", true, 75500},
        {"--time 0", true, 0},
        {"--time", false, 0},
        {"--time six", false, 0},
        {"--time -1", false, 0},
        // Up to ten years; past them, and what is no finite number, runs live.
        {"--time 315360000", true, 315360000000u},
        {"--time 315360000.001", false, 0},
        {"--time inf", false, 0},
        {"--time nan", false, 0},
        {"--time 6 --time 7", false, 0},
        {"-time 6", false, 0},
        {"/s", false, 0},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.pszLine ? c.pszLine : "(null)");
        const SRendererOptions options = ParseRendererCommandLine(c.pszLine);
        EXPECT_EQ(options.bPinned, c.bPinned);
        if (c.bPinned) EXPECT_EQ(options.nPinnedMs, c.nMs);
    }
}

// A POWERBROADCAST_SETTING as the system lays it out: the GUID, the data length, the data.
std::vector<unsigned char> PowerRecord(const unsigned char (&aId)[16], std::uint32_t nValue, std::uint32_t nLength = 4) {
    std::vector<unsigned char> a(aId, aId + 16);
    for (std::uint32_t n : {nLength, nValue}) {
        for (int i = 0; i < 4; ++i) a.push_back(static_cast<unsigned char>(n >> (8 * i)));
    }
    return a;
}

// Each case is a run of records from the start, and the state after the last.
TEST(DisplayPower, OnlyADisplayReportedOffStopsTheDrawingAndTheConsoleStateDecidesOnceSeen) {
    const unsigned char aOther[16] = {0x8f, 0x24};
    const auto console = [](std::uint32_t n) { return PowerRecord(kConsoleDisplayStateId, n); };
    const auto monitor = [](std::uint32_t n) { return PowerRecord(kMonitorPowerOnId, n); };
    std::vector<unsigned char> aShort = console(0);
    aShort.pop_back();
    const struct {
        const char* pszWhat;
        std::vector<std::vector<unsigned char>> aRecords;
        DisplayPower eState;
    } aCases[] = {
        {"console off", {console(0)}, DisplayPower::Off},
        {"console dimmed", {console(0), console(2)}, DisplayPower::Dimmed},
        {"console on", {console(0), console(1)}, DisplayPower::On},
        {"monitor off (Windows 7)", {monitor(0)}, DisplayPower::Off},
        {"monitor on", {monitor(0), monitor(1)}, DisplayPower::On},
        {"the monitor after the console counts no more", {console(1), monitor(0)}, DisplayPower::On},
        {"an unknown value is on", {console(0), console(7)}, DisplayPower::On},
        {"another setting", {PowerRecord(aOther, 0)}, DisplayPower::On},
        {"a data length that is not the record's", {PowerRecord(kConsoleDisplayStateId, 0, 2)}, DisplayPower::On},
        {"a record cut short", {aShort}, DisplayPower::On},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszWhat);
        CDisplayPower power;
        for (const auto& aRecord : c.aRecords) power.OnSetting(aRecord.data(), aRecord.size());
        EXPECT_EQ(power.State(), c.eState);
        EXPECT_EQ(power.Draws(), c.eState != DisplayPower::Off);
    }
}

}  // namespace
