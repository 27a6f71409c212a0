// The Linux savers' command lines and run decisions: what each option line means, which are refused,
// what ends a run (the X11 hack's and the Wayland shell's), how frames are paced (and held while the
// monitor is powered down) and where the private picture folder may go.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/saver_options.h"
#include "renderer/frame_pacing.h"
#include "renderer/hack_run.h"
#include "renderer/wake_rules.h"

namespace {

SaverCommandLine Parse(std::vector<const char*> aArgs) {
    aArgs.insert(aArgs.begin(), "vantorel");
    return ParseSaverCommandLine(static_cast<int>(aArgs.size()), aArgs.data());
}

struct GoodLine {
    std::vector<const char*> aArgs;
    HackTarget eTarget;
    unsigned long nWindowId;
    long nDelayUs;
    bool bFps;
};

TEST(SaverCommandLine, AcceptedLinesMeanWhatXscreensaverMeans) {
    const GoodLine aCases[] = {
        {{}, HackTarget::OwnWindow, 0, 16666, false},
        {{"-root"}, HackTarget::Root, 0, 16666, false},
        {{"--root"}, HackTarget::Root, 0, 16666, false},
        {{"-window-id", "0x2a00007"}, HackTarget::WindowId, 0x2a00007, 16666, false},
        {{"--window-id", "44040199"}, HackTarget::WindowId, 44040199, 16666, false},
        {{"-window-id", "0XFFFFFFFF"}, HackTarget::WindowId, 0xFFFFFFFF, 16666, false},
        {{"-root", "-window"}, HackTarget::OwnWindow, 0, 16666, false},  // the last target counts
        {{"-delay", "0", "-fps"}, HackTarget::OwnWindow, 0, 0, true},
        {{"--delay", "60000000", "--fps", "--root"}, HackTarget::Root, 0, 60000000, true},
    };
    for (const GoodLine& c : aCases) {
        std::string sLine;
        for (const char* p : c.aArgs) sLine += std::string(p) + " ";
        SCOPED_TRACE(sLine);
        const SaverCommandLine r = Parse(c.aArgs);
        ASSERT_EQ(r.eCommand, SaverCommand::Run) << r.sError;
        EXPECT_EQ(r.cOptions.eTarget, c.eTarget);
        if (c.eTarget == HackTarget::WindowId) {
            EXPECT_EQ(r.cOptions.nWindowId, c.nWindowId);
        }
        EXPECT_EQ(r.cOptions.nDelayUs, c.nDelayUs);
        EXPECT_EQ(r.cOptions.bFps, c.bFps);
    }
    EXPECT_EQ(Parse({"-display", ":7"}).cOptions.sDisplay, ":7");
    EXPECT_EQ(Parse({"--help"}).eCommand, SaverCommand::Help);
    EXPECT_EQ(Parse({"-root", "-h"}).eCommand, SaverCommand::Help);
    EXPECT_FALSE(Parse({}).cOptions.bPinned);
    const SaverCommandLine cPinned = Parse({"-root", "--time", "6.0006"});
    ASSERT_EQ(cPinned.eCommand, SaverCommand::Run) << cPinned.sError;
    EXPECT_TRUE(cPinned.cOptions.bPinned);
    EXPECT_EQ(cPinned.cOptions.nPinnedMs, 6001u);  // the nearest millisecond, as the frame renderer takes it
    EXPECT_EQ(Parse({"-time", "315360000"}).cOptions.nPinnedMs, 315360000000u) << "ten years";
}

TEST(SaverCommandLine, RefusedLinesSayWhy) {
    const std::vector<std::vector<const char*>> aCases = {
        {"-bogus"}, {"--"}, {"-"}, {"root"}, {""}, {"-delay"}, {"-window-id"}, {"-display"},
        {"-delay", "-5"}, {"-delay", "+5"}, {"-delay", " 5"}, {"-delay", "5ms"}, {"-delay", "60000001"},
        {"-delay", "99999999999999999999999"}, {"-window-id", "0"}, {"-window-id", "0x"},
        {"-window-id", "0xZZ"}, {"-window-id", "-1"}, {"-window-id", "0x100000000"}, {"-window-id", "12abc"},
        {"---root"}, {"-Root"}, {"-time"}, {"-time", "-1"}, {"-time", "5s"}, {"-time", "nan"},
        {"-time", "315360000.001"}, {"-time", "inf"}, {"-time", "-inf"}, {"-time", "1e300"},
    };
    for (const auto& aArgs : aCases) {
        std::string sLine;
        for (const char* p : aArgs) sLine += std::string("[") + p + "]";
        SCOPED_TRACE(sLine);
        const SaverCommandLine r = Parse(aArgs);
        EXPECT_EQ(r.eCommand, SaverCommand::Error);
        EXPECT_FALSE(r.sError.empty());
    }
}

// The Wayland shell reads its line with the same parser: the shared options mean the same, each
// shell refuses the other's, and the usage names the shell's own.
TEST(SaverCommandLine, EachShellTakesItsOwnOptionsAndRefusesTheOthers) {
    auto ParseAs = [](SaverShell eShell, std::vector<const char*> aArgs) {
        aArgs.insert(aArgs.begin(), "vantorel");
        return ParseSaverCommandLine(static_cast<int>(aArgs.size()), aArgs.data(), eShell);
    };
    const SaverCommandLine cWayland =
        ParseAs(SaverShell::Wayland, {"--background", "-no-layer-shell", "-time", "25", "-fps", "-delay", "0", "-display", "wayland-3"});
    ASSERT_EQ(cWayland.eCommand, SaverCommand::Run) << cWayland.sError;
    EXPECT_TRUE(cWayland.cOptions.bBackground);
    EXPECT_TRUE(cWayland.cOptions.bNoLayerShell);
    EXPECT_TRUE(cWayland.cOptions.bPinned);
    EXPECT_EQ(cWayland.cOptions.nPinnedMs, 25000u);
    EXPECT_TRUE(cWayland.cOptions.bFps);
    EXPECT_EQ(cWayland.cOptions.nDelayUs, 0);
    EXPECT_EQ(cWayland.cOptions.sDisplay, "wayland-3");
    EXPECT_FALSE(ParseAs(SaverShell::Wayland, {}).cOptions.bBackground);
    EXPECT_EQ(ParseAs(SaverShell::Wayland, {"-h"}).eCommand, SaverCommand::Help);

    const struct {
        SaverShell eShell;
        std::vector<const char*> aArgs;
        const char* pszNamed;  // what the message names
    } aRefused[] = {
        {SaverShell::Wayland, {"-root"}, "-root"}, {SaverShell::Wayland, {"-window"}, "-window"},
        {SaverShell::Wayland, {"-window-id", "0x2a00007"}, "-window-id"}, {SaverShell::Wayland, {"-time", "soon"}, "soon"},
        {SaverShell::X11, {"--background"}, "--background"}, {SaverShell::X11, {"-no-layer-shell"}, "-no-layer-shell"},
    };
    for (const auto& c : aRefused) {
        SCOPED_TRACE(c.aArgs[0]);
        const SaverCommandLine r = ParseAs(c.eShell, c.aArgs);
        EXPECT_EQ(r.eCommand, SaverCommand::Error);
        EXPECT_NE(r.sError.find(c.pszNamed), std::string::npos) << r.sError;
    }
    EXPECT_NE(std::string(SaverUsage(SaverShell::Wayland)).find("--background"), std::string::npos);
    EXPECT_EQ(std::string(SaverUsage(SaverShell::Wayland)).find("-root"), std::string::npos);
    EXPECT_EQ(std::string(SaverUsage(SaverShell::X11)).find("--background"), std::string::npos);
}

// xscreensaver-settings builds the command line from vantorel.xml: every argument it can produce
// (each control's arg with its default value, each arg-set) must be one the hack takes.
TEST(SaverCommandLine, TakesEveryArgumentOfItsSettingsDescription) {
    std::ifstream in(std::string(VANTOREL_SOURCE_DIR) + "/packaging/vantorel.xml");
    ASSERT_TRUE(in) << "no packaging/vantorel.xml";
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string sXml = ss.str();
    EXPECT_NE(sXml.find("<screensaver name=\"vantorel\" _label=\"Vantorel\""), std::string::npos);
    const std::regex reNumber(R"re(<number[^>]*arg="([^"]*)"[^>]*default="([^"]*)")re");
    const std::regex reArg(R"re((?:<command arg|arg-set|arg-unset)="([^"]*)")re");
    std::vector<std::string> aLines;
    for (std::sregex_iterator i(sXml.begin(), sXml.end(), reNumber), e; i != e; ++i) {
        std::string s = (*i)[1];
        s.replace(s.find('%'), 1, (*i)[2]);
        aLines.push_back(s);
    }
    for (std::sregex_iterator i(sXml.begin(), sXml.end(), reArg), e; i != e; ++i) aLines.push_back((*i)[1]);
    ASSERT_GE(aLines.size(), 3u);  // --root, --delay, --fps
    for (const std::string& sLine : aLines) {
        SCOPED_TRACE(sLine);
        std::istringstream words(sLine);
        std::vector<std::string> aWords;
        for (std::string w; words >> w;) aWords.push_back(w);
        std::vector<const char*> aArgs;
        for (const std::string& w : aWords) aArgs.push_back(w.c_str());
        const SaverCommandLine r = Parse(aArgs);
        EXPECT_EQ(r.eCommand, SaverCommand::Run) << r.sError;
    }
}

TEST(HackRun, KeysAndCloseEndOnlyAWindowOfItsOwn) {
    for (bool bOwn : {true, false}) {
        SCOPED_TRACE(bOwn ? "own window" : "lent window");
        CHackRun cKey(bOwn, 10, 10), cQ(bOwn, 10, 10), cClose(bOwn, 10, 10), cOther(bOwn, 10, 10);
        cKey.OnKey(HackKey::Escape);
        cQ.OnKey(HackKey::Q);
        cClose.OnCloseRequest();
        cOther.OnKey(HackKey::Other);
        EXPECT_EQ(cKey.End(), bOwn ? HackEnd::Key : HackEnd::None);
        EXPECT_EQ(cQ.End(), bOwn ? HackEnd::Key : HackEnd::None);
        EXPECT_EQ(cClose.End(), bOwn ? HackEnd::Closed : HackEnd::None);
        EXPECT_FALSE(cOther.Ended());
        // Signals and the window's end stop every kind of run; the first reason stands.
        cOther.OnSignal();
        cOther.OnWindowDestroyed();
        EXPECT_EQ(cOther.End(), HackEnd::Signal);
    }
}

TEST(HackRun, ViewportFollowsEachNewSizeOnce) {
    CHackRun c(false, 640, 480);
    int w = 0, h = 0;
    ASSERT_TRUE(c.TakeNewSize(w, h));  // the start needs a viewport too
    EXPECT_EQ(w * 1000 + h, 640 * 1000 + 480);
    EXPECT_FALSE(c.TakeNewSize(w, h));
    c.OnSize(640, 480);  // a move reports the same size
    EXPECT_FALSE(c.TakeNewSize(w, h));
    c.OnSize(0, 200);  // never a zero-sized projection
    EXPECT_FALSE(c.TakeNewSize(w, h));
    EXPECT_FALSE(c.SizeChanged());
    c.OnSize(300, 200);
    c.OnSize(320, 200);
    EXPECT_TRUE(c.SizeChanged());
    ASSERT_TRUE(c.TakeNewSize(w, h));
    EXPECT_EQ(w * 1000 + h, 320 * 1000 + 200);
    EXPECT_FALSE(c.TakeNewSize(w, h));
    EXPECT_FALSE(c.SizeChanged());
}

// What gives the desktop back from a saver that covers it. Debian 12 has no tool that drives a
// virtual pointer, so the pointer's part of the rule is checked here rather than on sway.
TEST(WakeRules, InputEndsTheSaverButNeverTheBackground) {
    using Step = std::function<void(CWakeRules&)>;
    const struct {
        const char* pszCase;
        std::vector<Step> aSteps;
        WakeReason eSaver;       // as a screensaver
        WakeReason eBackground;  // as a background
    } aCases[] = {
        {"key press", {[](CWakeRules& c) { c.OnKeyPress(); }}, WakeReason::Key, WakeReason::None},
        {"button press", {[](CWakeRules& c) { c.OnButtonPress(); }}, WakeReason::Button, WakeReason::None},
        {"the first motion only places the pointer",
         {[](CWakeRules& c) { c.OnPointerEnter(100, 100); }, [](CWakeRules& c) { c.OnPointerMotion(400, 300); }},
         WakeReason::None, WakeReason::None},
        {"a nudge of a few pixels",
         {[](CWakeRules& c) { c.OnPointerEnter(100, 100); }, [](CWakeRules& c) { c.OnPointerMotion(100, 100); },
          [](CWakeRules& c) { c.OnPointerMotion(106, 108); }},
         WakeReason::None, WakeReason::None},
        {"a real move",
         {[](CWakeRules& c) { c.OnPointerEnter(100, 100); }, [](CWakeRules& c) { c.OnPointerMotion(100, 100); },
          [](CWakeRules& c) { c.OnPointerMotion(107, 108); }},
         WakeReason::Pointer, WakeReason::None},
        {"motion measured from the surface it entered last",
         {[](CWakeRules& c) { c.OnPointerEnter(5, 5); }, [](CWakeRules& c) { c.OnPointerMotion(5, 5); },
          [](CWakeRules& c) { c.OnPointerEnter(900, 500); }, [](CWakeRules& c) { c.OnPointerMotion(903, 500); },
          [](CWakeRules& c) { c.OnPointerMotion(905, 504); }},
         WakeReason::None, WakeReason::None},
        {"touch", {[](CWakeRules& c) { c.OnTouchDown(); }}, WakeReason::Touch, WakeReason::None},
        {"a session lock takes the keyboard from every surface",
         {[](CWakeRules& c) { c.OnKeyboardEnter(); }, [](CWakeRules& c) { c.OnKeyboardLeave(1000000); },
          [](CWakeRules& c) { c.OnTime(1000000 + kKeyboardGraceUs); }},
         WakeReason::Locked, WakeReason::None},
        {"the keyboard moves on between the saver's own surfaces",
         {[](CWakeRules& c) { c.OnKeyboardEnter(); }, [](CWakeRules& c) { c.OnKeyboardLeave(1000000); },
          [](CWakeRules& c) { c.OnKeyboardEnter(); }, [](CWakeRules& c) { c.OnTime(9000000); }},
         WakeReason::None, WakeReason::None},
        {"signal", {[](CWakeRules& c) { c.OnSignal(); }}, WakeReason::Signal, WakeReason::Signal},
        {"every surface gone",
         {[](CWakeRules& c) { c.OnSurfaceCount(2); }, [](CWakeRules& c) { c.OnSurfaceCount(0); }},
         WakeReason::NoSurface, WakeReason::None},
        {"the first reason stands",
         {[](CWakeRules& c) { c.OnKeyPress(); }, [](CWakeRules& c) { c.OnSignal(); },
          [](CWakeRules& c) { c.OnSurfaceCount(0); }},
         WakeReason::Key, WakeReason::Signal},
    };
    for (const auto& t : aCases) {
        SCOPED_TRACE(t.pszCase);
        CWakeRules cSaver(true), cBackground(false);
        for (const Step& f : t.aSteps) {
            f(cSaver);
            f(cBackground);
        }
        EXPECT_EQ(cSaver.Reason(), t.eSaver);
        EXPECT_EQ(cBackground.Reason(), t.eBackground);
    }
}

TEST(WakeRules, AKeyboardAwayIsWaitedForUntilTheGraceRunsOut) {
    CWakeRules c(true);
    EXPECT_EQ(c.NextCheckUs(), UINT64_MAX);
    c.OnKeyboardEnter();
    c.OnKeyboardLeave(1000000);
    EXPECT_EQ(c.NextCheckUs(), 1000000 + kKeyboardGraceUs);
    c.OnTime(1000000 + kKeyboardGraceUs - 1);
    EXPECT_FALSE(c.Ended()) << "a keyboard on its way between surfaces is no lock";
    c.OnTime(1000000 + kKeyboardGraceUs);
    EXPECT_EQ(c.Reason(), WakeReason::Locked);
    EXPECT_EQ(c.NextCheckUs(), UINT64_MAX);
}

TEST(FramePacer, FramesStartOnePeriodApartWhateverTheDrawingCost) {
    CFramePacer c(16666);
    EXPECT_EQ(c.WaitBeforeNext(5), 0u);
    c.FrameStarted(1000);
    EXPECT_EQ(c.WaitBeforeNext(1000 + 10000), 6666u);  // drawn in 10 ms: wait the rest
    EXPECT_EQ(c.WaitBeforeNext(1000 + 16666), 0u);
    c.FrameStarted(1000 + 16700);                       // a little late: the schedule holds
    EXPECT_EQ(c.WaitBeforeNext(1000 + 20000), 33332u - 20000u);
    c.FrameStarted(1000 + 200000);                      // far behind: no burst of frames to catch up
    EXPECT_EQ(c.WaitBeforeNext(1000 + 200000), 16666u);

    CFramePacer cFast(0);
    cFast.FrameStarted(1000);
    EXPECT_EQ(cFast.WaitBeforeNext(1000), 0u);
}

// The server's power management as the test sets it.
struct CFakeDisplayPower : IDisplayPower {
    DisplayPowerReport cReport {true, true, MonitorPower::On};
    int nQueries = 0;
    DisplayPowerReport QueryPower() override {
        ++nQueries;
        return cReport;
    }
};

// Turns of the hack's loop as main.cpp makes them: it waits what the schedule says, or 1 ms when
// events keep coming (a new size with each); returns the frames drawn.
int Turns(CHackSchedule& c, uint64_t& t, int nTurns, bool bEvents) {
    int nDrawn = 0;
    for (int n = 0; n < nTurns; ++n) {
        t += bEvents && n % 2 ? 1000 : c.WaitUs(t);
        nDrawn += c.FrameDue(t, bEvents) ? 1 : 0;
    }
    return nDrawn;
}

TEST(HackSchedule, NoFrameWhileTheMonitorIsPoweredDownAndOneAtOnceWhenItIsBack) {
    const struct {
        const char* pszCase;
        DisplayPowerReport cReport;
        bool bDark;
    } aCases[] = {
        {"standby", {true, true, MonitorPower::Standby}, true},
        {"suspend", {true, true, MonitorPower::Suspend}, true},
        {"off", {true, true, MonitorPower::Off}, true},
        {"no DPMS on the server", {false, false, MonitorPower::Off}, false},
        {"power management switched off", {true, false, MonitorPower::Off}, false},
        {"a level DPMS does not name", {true, true, MonitorPower::Unknown}, false},
    };
    for (const auto& tc : aCases) {
        SCOPED_TRACE(tc.pszCase);
        CFakeDisplayPower cPower;
        // A delay longer than the dark stretch: the first frame after it must not wait for the delay.
        CHackSchedule c(60000000, cPower);
        uint64_t t = 1000;
        ASSERT_TRUE(c.FrameDue(t, false));
        cPower.cReport = tc.cReport;
        t += kPowerCheckUs;  // the next question is due
        const int nDrawn = Turns(c, t, 20, true);
        EXPECT_EQ(nDrawn, tc.bDark ? 0 : 20);
        if (!tc.bDark) continue;
        EXPECT_EQ(c.WaitUs(t), kPowerCheckUs - 1000) << "it sleeps a second after each question";
        EXPECT_LE(cPower.nQueries, 12) << "the server is asked at most once a second";
        cPower.cReport.eLevel = MonitorPower::On;
        const uint64_t nOnAt = t;
        ASSERT_EQ(Turns(c, t, 1, false), 1) << "drawn at the first turn after it is back";
        EXPECT_TRUE(c.Resumed());
        EXPECT_LE(t - nOnAt, kPowerCheckUs);
        EXPECT_EQ(c.WaitUs(t), 60000000u) << "then paced again, from that frame";
    }
}

TEST(FrameRateMeter, ReportsFramesPerSecondAtMostOnceASecond) {
    CFrameRateMeter c;
    double f = 0;
    EXPECT_FALSE(c.FrameShown(0, f));
    for (int i = 1; i < 30; ++i) EXPECT_FALSE(c.FrameShown(i * 33333u, f));
    ASSERT_TRUE(c.FrameShown(30 * 33333u + 10, f));
    EXPECT_NEAR(f, 30.0, 0.01);
    EXPECT_FALSE(c.FrameShown(30 * 33333u + 20000, f));
}

TEST(PictureFolderBases, RuntimeFolderFirstThenTmpdirThenTmp) {
    using V = std::vector<std::string>;
    EXPECT_EQ(PictureFolderBases("/run/user/1000", "/var/tmp"), (V {"/run/user/1000", "/var/tmp", "/tmp"}));
    EXPECT_EQ(PictureFolderBases(nullptr, "/var/tmp"), (V {"/var/tmp", "/tmp"}));
    EXPECT_EQ(PictureFolderBases("", nullptr), (V {"/tmp"}));
    EXPECT_EQ(PictureFolderBases("relative/dir", ""), (V {"/tmp"}));
}

}  // namespace
