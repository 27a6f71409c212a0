// One screensaver run against recording fakes: what the load starts, what each timer does, how the
// renderer watch decides the run is over, and the order in which the run ends.
#include "frontend/show_run.h"

#include <gtest/gtest.h>

#include "fake_frontend_port.h"

namespace {

using Nerlo_B::ShowTimer;

// A show form over fakes; its log holds port and music calls in one sequence.
struct ShowRun {
    vtest::CFakeFrontEndPort port;
    vtest::CRecordingMusic music{port.aLog};
    Nerlo_B::FrontEndState state;
    Nerlo_B::Nerlo_S form{port, music, state};

    ShowRun(std::int16_t nKind, const std::string& sFile, const char16_t* pszArguments = u"/s") {
        state.commandLine = Nerlo_B::ParseCommandLine(pszArguments);
        state.sProgramFolder = "C:\\Saver";
        state.settings.BGM_Kind = nKind;
        state.settings.BGM_RepeatTrack = 3;
        state.settings.BGM_File = sFile;
        state.CursorCount = -1;
        port.nCursorCounter = -1;
    }
    // The log from now on only.
    void ClearLog() { port.aLog.clear(); }
    bool Ended() const { return !port.CallsOf("ExitProcess").empty(); }
};

struct DispatchCase {
    const char* pszName;
    std::int16_t nKind;
    const char* pszFile;
    std::vector<std::string> aMusicAtLoad;
    bool bTimer1, bTimer2;
    std::vector<std::string> aMusicAtUnload;
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.pszName; }

class MusicDispatch : public testing::TestWithParam<DispatchCase> {};

std::vector<std::string> MusicCalls(const std::vector<std::string>& aLog) {
    std::vector<std::string> aOut;
    for (const auto& s : aLog) {
        if (s.rfind("CD_", 0) == 0 || s.rfind("WAV_", 0) == 0 || s.rfind("MP3_", 0) == 0) aOut.push_back(s);
    }
    return aOut;
}

TEST_P(MusicDispatch, StartsAndStopsTheChosenMusic) {
    const DispatchCase& c = GetParam();
    SCOPED_TRACE(c.pszName);
    ShowRun run(c.nKind, c.pszFile);
    run.form.Form_Load();
    EXPECT_EQ(MusicCalls(run.port.aLog), c.aMusicAtLoad);
    EXPECT_EQ(run.form.IsTimerOn(ShowTimer::Timer1), c.bTimer1);
    EXPECT_EQ(run.form.IsTimerOn(ShowTimer::Timer2), c.bTimer2);
    run.ClearLog();
    run.form.Form_QueryUnload();
    EXPECT_EQ(MusicCalls(run.port.aLog), c.aMusicAtUnload);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MusicDispatch, testing::Values(
    DispatchCase{"no music", 0, "D:\\a.mp3", {}, false, false, {}},
    DispatchCase{"audio CD", 1, "", {"CD_Open"}, false, true, {"CD_Stop"}},
    DispatchCase{"CD ignores a music file", 1, "D:\\a.mp3", {"CD_Open"}, false, true, {"CD_Stop"}},
    DispatchCase{"WAV", 2, "D:\\a b.wav", {"WAV_Play D:\\a b.wav"}, false, false, {"WAV_Stop"}},
    DispatchCase{"upper-case WAV", 2, "D:\\A.WAV", {"WAV_Play D:\\A.WAV"}, false, false, {"WAV_Stop"}},
    DispatchCase{"MP3", 2, "D:\\a.mp3", {"MP3_Play D:\\a.mp3"}, true, false, {"MP3_Stop"}},
    DispatchCase{"mixed-case MP3", 2, "D:\\a.Mp3", {"MP3_Play D:\\a.Mp3"}, true, false, {"MP3_Stop"}},
    DispatchCase{"other ending", 2, "D:\\a.ogg", {}, false, false, {}},
    DispatchCase{"ending without a dot", 2, "D:\\mywav", {"WAV_Play D:\\mywav"}, false, false, {"WAV_Stop"}},
    DispatchCase{"short name", 2, "p3", {}, false, false, {}},
    DispatchCase{"unknown kind", 3, "D:\\a.wav", {}, false, false, {}}));

TEST(ShowRunLoad, WritesThePicturesThenStartsMusicThenTheRenderer) {
    ShowRun run(2, "D:\\a.mp3");
    run.form.Form_Load();
    const std::vector<std::string> aExpected = {
        "SetTimer 3 500",
        "SavePicture 1 C:\\s_vell\\Nerlo01.bmp",
        "SavePicture 2 C:\\s_vell\\Nerlo02.bmp",
        "SavePicture 3 C:\\s_vell\\Nerlo03.bmp",
        "MP3_Play D:\\a.mp3",
        "SetTimer 1 1000",
        "CreateProcessA C:\\Saver\\Vantorel.dll 1",
    };
    EXPECT_EQ(run.port.aLog, aExpected);
}

TEST(ShowRunLoad, AnAudioCdArmsTheCdWatchEvery200ms) {
    ShowRun run(1, "");
    run.form.Form_Load();
    EXPECT_EQ(run.port.CallsOf("SetTimer"), (std::vector<std::string>{"SetTimer 3 500", "SetTimer 2 200"}));
}

TEST(ShowRunLoad, GoesOnWhenAPictureCannotBeWritten) {
    ShowRun run(0, "");
    run.port.aUnsavablePictures = {1, 2, 3};
    run.form.Form_Load();
    EXPECT_EQ(run.port.CallsOf("SavePicture").size(), 3u);
    EXPECT_EQ(run.port.CallsOf("CreateProcessA").size(), 1u);
}

TEST(ShowRunTimers, MusicWatchesForwardToThePlayer) {
    ShowRun run(1, "");
    run.form.Form_Load();
    run.ClearLog();
    run.form.Timer1_Timer();
    run.form.Timer2_Timer();
    EXPECT_EQ(run.port.aLog, (std::vector<std::string>{"MP3_Watch", "CD_Watch 3"}));
    EXPECT_TRUE(run.form.IsTimerOn(ShowTimer::Timer2));
}

TEST(ShowRunTimers, AFailedCdWatchEndsTheCdWatchAndSkipsCdStop) {
    ShowRun run(1, "");
    run.form.Form_Load();
    run.music.bCdContinue = false;
    run.form.Timer2_Timer();
    EXPECT_FALSE(run.form.IsTimerOn(ShowTimer::Timer2));
    EXPECT_EQ(run.port.CallsOf("KillTimer 2").size(), 1u);
    run.ClearLog();
    run.form.Form_QueryUnload();
    EXPECT_TRUE(run.port.CallsOf("CD_Stop").empty());
    EXPECT_TRUE(run.Ended());
}

// The renderer watch over a sequence of ticks: what the system shows at each, and when the run ends.
struct WatchTick {
    bool bWindow;         // a "Nerlo_VC" window exists
    bool bProcessExited;  // the started renderer has ended
    std::uint32_t nMsSinceStart;
};

struct WatchCase {
    const char* pszName;
    std::vector<WatchTick> aTicks;
    int nEndsAtTick;  // 0-based; -1 when the run goes on after the last tick
    Nerlo_B::ProcessHandle hProcess = 0x44;
};

void PrintTo(const WatchCase& c, std::ostream* os) { *os << c.pszName; }

class RendererWatch : public testing::TestWithParam<WatchCase> {};

TEST_P(RendererWatch, EndsTheRunWhenTheRendererHasGone) {
    const WatchCase& c = GetParam();
    SCOPED_TRACE(c.pszName);
    ShowRun run(0, "");
    run.port.hNextProcess = c.hProcess;
    run.form.Form_Load();
    const std::uint32_t nStart = run.port.nTick;
    int nEnded = -1;
    for (std::size_t i = 0; i < c.aTicks.size() && nEnded < 0; ++i) {
        const WatchTick& tick = c.aTicks[i];
        if (tick.bWindow) {
            run.port.aWindowTitles.insert("Nerlo_VC");
        } else {
            run.port.aWindowTitles.erase("Nerlo_VC");
        }
        run.port.bProcessExited = tick.bProcessExited;
        run.port.nTick = nStart + tick.nMsSinceStart;
        run.form.Timer3_Timer();
        if (run.Ended()) nEnded = static_cast<int>(i);
    }
    EXPECT_EQ(nEnded, c.nEndsAtTick);
    EXPECT_EQ(run.form.IsTimerOn(ShowTimer::Timer3), nEnded < 0);
}

INSTANTIATE_TEST_SUITE_P(Sequences, RendererWatch, testing::Values(
    WatchCase{"window up at once, then closed",
              {{true, false, 500}, {true, false, 1000}, {false, true, 1500}}, 2},
    WatchCase{"window closed but process still tearing down",
              {{true, false, 500}, {false, false, 1000}}, 1},
    WatchCase{"slow display switch: no window for 3 s",
              {{false, false, 500}, {false, false, 1000}, {false, false, 3000}, {true, false, 3500},
               {true, false, 4000}}, -1},
    WatchCase{"renderer ends without ever showing a window",
              {{false, false, 500}, {false, true, 1000}}, 1},
    WatchCase{"renderer could not be started", {{false, false, 500}}, 0, 0},
    WatchCase{"no window within 10 s", {{false, false, 500}, {false, false, 9999}, {false, false, 10000}}, 2},
    WatchCase{"window of an older renderer keeps the run alive",
              {{true, true, 500}, {true, true, 20000}}, -1}));

TEST(RendererWatch, CountsTheStartLimitAcrossATickCountWrap) {
    ShowRun run(0, "");
    run.port.nTick = 0xFFFFF000u;  // 4096 ms before the wrap
    run.form.Form_Load();
    run.port.nTick = 0x00001000u;  // 8192 ms later
    run.form.Timer3_Timer();
    EXPECT_FALSE(run.Ended());
    run.port.nTick = 0xFFFFF000u + 10000u;
    run.form.Timer3_Timer();
    EXPECT_TRUE(run.Ended());
}

TEST(ShowRunUnload, StopsMusicThenGivesTheCursorBackThenEnds) {
    ShowRun run(2, "D:\\a.mp3");
    run.form.Form_Load();
    run.port.aWindowTitles.insert("Nerlo_VC");
    run.form.Timer3_Timer();
    run.port.aWindowTitles.clear();
    run.ClearLog();
    run.form.Timer3_Timer();
    const std::vector<std::string> aExpected = {
        "FindWindowA (null) Nerlo_VC", "KillTimer 3", "KillTimer 1", "MP3_Stop", "ShowCursor TRUE", "ExitProcess",
    };
    EXPECT_EQ(run.port.aLog, aExpected);
    EXPECT_EQ(run.state.CursorCount, 0);
}

// The counter kept from hiding the cursor is handed back as the show flag: non-zero shows it again,
// a kept 0 (the cursor was shown once more than usual before it was hidden) hides it once more.
TEST(ShowRunUnload, HandsTheKeptCursorCounterBackAsTheShowFlag) {
    const struct {
        std::int32_t nKept;
        const char* pszCall;
    } aCases[] = {{-1, "ShowCursor TRUE"}, {0, "ShowCursor FALSE"}, {2, "ShowCursor TRUE"}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.nKept);
        ShowRun run(0, "");
        run.state.CursorCount = c.nKept;
        run.form.Form_Load();
        run.ClearLog();
        run.form.Form_QueryUnload();
        EXPECT_EQ(run.port.aLog, (std::vector<std::string>{c.pszCall, "ExitProcess"}));
    }
}

TEST(ShowRunUnload, StopsTheCdWatchBeforeTheCd) {
    ShowRun run(1, "");
    run.form.Form_Load();
    run.ClearLog();
    run.form.Form_QueryUnload();
    EXPECT_EQ(run.port.aLog,
              (std::vector<std::string>{"KillTimer 2", "CD_Stop", "ShowCursor TRUE", "ExitProcess"}));
}

TEST(ShowRunUnload, LeavesTheCursorAloneWithoutTheShowSwitch) {
    ShowRun run(0, "", u"");
    run.state.CursorCount.reset();
    run.form.Form_Load();
    run.ClearLog();
    run.form.Form_QueryUnload();
    EXPECT_EQ(run.port.aLog, (std::vector<std::string>{"ExitProcess"}));
}

TEST(ShowRunUnload, HappensOnceWhenTheSystemClosesTheFormAgain) {
    ShowRun run(2, "D:\\a.wav");
    run.form.Form_Load();
    run.ClearLog();
    run.form.Form_QueryUnload();
    run.form.Form_QueryUnload();
    EXPECT_EQ(run.port.CallsOf("WAV_Stop").size(), 1u);
    EXPECT_EQ(run.port.CallsOf("ExitProcess").size(), 1u);
}

}  // namespace
