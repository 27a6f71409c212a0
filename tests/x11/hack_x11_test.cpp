// The native hack on a private Xvfb with GLX (Mesa's llvmpipe): it draws the real scene in its own
// window and on windows others lend it, follows their size, ends on keys, the close button, signals
// and the window's destruction, and leaves no picture folder behind.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/x11/x11_test_support.h"

namespace {

const std::string kHack = VANTOREL_HACK;
const std::string kFramesTool = VANTOREL_FRAMES_TOOL;
const std::string kPictures = std::string(VANTOREL_SOURCE_DIR) + "/assets/pictures";
std::string HexId(Window w) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "0x%lx", static_cast<unsigned long>(w));
    return sz;
}

// llvmpipe on both sides: only the GLX and EGL paths differ, by a rounding or two.
const double kSameFrame = 0.02;

class HackOnXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Windows of the hack come and go under the test's feet: a request about one that just went is
        // answered by an error, which the grabbing helpers notice by their empty result.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        pServer = new CXvfb;
        if (!pServer->Start(1280, 1024)) return;
        pDisplay = XOpenDisplay(pServer->Name().c_str());
    }
    static void TearDownTestSuite() {
        if (pDisplay) XCloseDisplay(pDisplay);
        pDisplay = nullptr;
        delete pServer;
        pServer = nullptr;
    }
    void SetUp() override {
        if (!pDisplay) GTEST_SKIP() << "no private X server: " << pServer->Error();
    }
    void TearDown() override {
        cHack.Kill();
        for (Window w : aTestWindows) XDestroyWindow(pDisplay, w);
        aTestWindows.clear();
        XSync(pDisplay, False);
    }

    // Starts the hack with the private folders in place of the user's; true once it runs.
    bool StartHack(const std::vector<std::string>& aOptions, const std::string& sScreensaverWindow = "") {
        std::vector<std::string> aArgs {kHack};
        aArgs.insert(aArgs.end(), aOptions.begin(), aOptions.end());
        nClockStartLoMs = NowMs();
        bClockBounded = false;
        return cHack.Start(aArgs,
                           {"DISPLAY=" + pServer->Name(), "LIBGL_ALWAYS_SOFTWARE=1",
                            "XDG_RUNTIME_DIR=" + cRuntime.Path(), "XSCREENSAVER_WINDOW=" + sScreensaverWindow},
                           cStderr.Path() + "/stderr.txt");
    }
    std::string HackStderr() const { return ReadFile(cStderr.Path() + "/stderr.txt"); }

    // A top-level window made by the test, in a colour the scene never shows everywhere at once.
    Window MakeTestWindow(int nWidth, int nHeight) {
        const int nScreen = DefaultScreen(pDisplay);
        const Window w = XCreateSimpleWindow(pDisplay, RootWindow(pDisplay, nScreen), 40, 40, nWidth, nHeight, 0, 0,
                                             0xFF00FF);
        XMapWindow(pDisplay, w);
        XSync(pDisplay, False);
        aTestWindows.push_back(w);
        return w;
    }

    static bool Drawn(const RgbPicture& c) {
        return !c.aRgb.empty() && ShareOfColour(c, 255, 0, 255) < 0.001 && ShareOfColour(c, 0, 0, 0) < 0.5;
    }

    // Waits until the window shows neither its own background nor black: the hack has drawn. The first
    // such grab also bounds when the hack's clock started (between the grab before and this one).
    RgbPicture WaitForDrawing(Window w, int nTimeoutMs) {
        const uint64_t nDeadline = NowMs() + nTimeoutMs;
        while (NowMs() < nDeadline) {
            const uint64_t nGrabStart = NowMs();
            RgbPicture c = GrabWindow(pDisplay, w);
            if (Drawn(c)) {
                if (!bClockBounded) {
                    nClockStartHiMs = NowMs();
                    bClockBounded = true;
                }
                nShotStartMs = nGrabStart;
                nShotEndMs = NowMs();
                return c;
            }
            nClockStartLoMs = nGrabStart;
            SleepMs(20);
        }
        return {};
    }

    // The last shot is the scene's frame of its moment, exactly as the headless renderer draws it at that
    // size. In the first seconds that is the still nebula backdrop alone; from about 5 s on the falling
    // tube is in view, and its motion asks for a finer search.
    void ExpectSceneFrame(const RgbPicture& cShot, uint64_t nStepMs = 25) {
        ASSERT_TRUE(bClockBounded);
        // 50 ms of slack for a frame drawn but not yet on the screen at either end.
        const uint64_t nFrom = nShotStartMs > nClockStartHiMs + 50 ? nShotStartMs - nClockStartHiMs - 50 : 0;
        const uint64_t nTo = nShotEndMs - nClockStartLoMs + 50;
        uint64_t nBestMs = 0;
        const double fBest = BestFrameMatch(kFramesTool, cShot, nFrom, nTo, nStepMs, nBestMs);
        EXPECT_LT(fBest, kSameFrame) << "no headless frame of " << cShot.nWidth << "x" << cShot.nHeight << " in ["
                                     << nFrom << ", " << nTo << "] ms is the shot; nearest at " << nBestMs << " ms";
        EXPECT_LT(ShareOfColour(cShot, 255, 255, 255), 0.05) << "the picture is white";
    }

    void SendKey(Window w, KeySym nKey) {
        XEvent ev {};
        ev.xkey.type = KeyPress;
        ev.xkey.display = pDisplay;
        ev.xkey.window = w;
        ev.xkey.root = DefaultRootWindow(pDisplay);
        ev.xkey.keycode = XKeysymToKeycode(pDisplay, nKey);
        ev.xkey.same_screen = True;
        XSendEvent(pDisplay, w, True, KeyPressMask, &ev);
        XSync(pDisplay, False);
    }

    // What a window manager sends when its close button is pressed.
    void SendClose(Window w) {
        XEvent ev {};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = XInternAtom(pDisplay, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(pDisplay, "WM_DELETE_WINDOW", False));
        XSendEvent(pDisplay, w, False, NoEventMask, &ev);
        XSync(pDisplay, False);
    }

    Window WaitForOwnWindow(int nTimeoutMs) {
        const uint64_t nDeadline = NowMs() + nTimeoutMs;
        while (NowMs() < nDeadline) {
            if (Window w = FindWindowByName(pDisplay, "Vantorel")) return w;
            SleepMs(20);
        }
        return 0;
    }

    static CXvfb* pServer;
    static Display* pDisplay;
    CChild cHack;
    CTempFolder cRuntime, cStderr;
    std::vector<Window> aTestWindows;
    bool bClockBounded = false;
    uint64_t nClockStartLoMs = 0, nClockStartHiMs = 0, nShotStartMs = 0, nShotEndMs = 0;
};

CXvfb* HackOnXvfb::pServer = nullptr;
Display* HackOnXvfb::pDisplay = nullptr;

TEST_F(HackOnXvfb, OwnWindowShowsTheSceneAndEscapeEndsIt) {
    ASSERT_TRUE(StartHack({"-window"}));
    const Window w = WaitForOwnWindow(10000);
    ASSERT_NE(w, 0u) << "no window titled Vantorel; the hack said: " << HackStderr();
    XWindowAttributes wa {};
    XGetWindowAttributes(pDisplay, w, &wa);
    EXPECT_EQ(wa.width, 1024);
    EXPECT_EQ(wa.height, 768);
    const RgbPicture cShot = WaitForDrawing(w, 10000);
    ASSERT_FALSE(cShot.aRgb.empty());
    ExpectSceneFrame(cShot);

    SendKey(w, XK_Escape);
    const int nStatus = cHack.WaitMs(5000);
    ASSERT_NE(nStatus, -1) << "Escape did not end it";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_EQ(FindWindowByName(pDisplay, "Vantorel"), 0u);
    EXPECT_TRUE(cRuntime.Entries().empty()) << "picture folder left behind";
}

TEST_F(HackOnXvfb, QAndTheCloseButtonEndTheOwnWindowToo) {
    for (bool bClose : {false, true}) {
        SCOPED_TRACE(bClose ? "close button" : "q");
        ASSERT_TRUE(StartHack({"--window", "-delay", "0"}));
        const Window w = WaitForOwnWindow(10000);
        ASSERT_NE(w, 0u) << HackStderr();
        WaitForDrawing(w, 10000);
        if (bClose) SendClose(w);
        else SendKey(w, XK_q);
        const int nStatus = cHack.WaitMs(5000);
        ASSERT_NE(nStatus, -1);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
        EXPECT_TRUE(cRuntime.Entries().empty());
    }
}

TEST_F(HackOnXvfb, LentWindowIsDrawnAtItsSizeAndFollowsItsResize) {
    const Window w = MakeTestWindow(320, 240);
    ASSERT_TRUE(StartHack({"-window-id", HexId(w)}));
    RgbPicture cShot = WaitForDrawing(w, 10000);
    ASSERT_EQ(cShot.nWidth, 320);
    ExpectSceneFrame(cShot);
    // Keys belong to the lender: they do not end the hack.
    SendKey(w, XK_Escape);

    XResizeWindow(pDisplay, w, 640, 200);
    XSync(pDisplay, False);
    // Six seconds in, the tube is in view: the projection must have followed the new aspect.
    while (NowMs() < nClockStartHiMs + 6000) SleepMs(50);
    cShot = WaitForDrawing(w, 10000);
    ASSERT_EQ(cShot.nWidth, 640);
    ASSERT_EQ(cShot.nHeight, 200);
    ExpectSceneFrame(cShot, 5);
    EXPECT_TRUE(cHack.Running()) << HackStderr();
}

// A long delay does not leave a resized window half drawn until the next frame is due.
TEST_F(HackOnXvfb, ResizeRedrawsAtOnceWhateverTheDelay) {
    const Window w = MakeTestWindow(160, 120);
    ASSERT_TRUE(StartHack({"-window-id", HexId(w), "-delay", "20000000"}));
    ASSERT_FALSE(WaitForDrawing(w, 10000).aRgb.empty()) << HackStderr();
    XResizeWindow(pDisplay, w, 240, 180);
    XSync(pDisplay, False);
    const RgbPicture cShot = WaitForDrawing(w, 10000);
    ASSERT_EQ(cShot.nWidth, 240) << "not redrawn at the new size well before the 20 s delay";
    ExpectSceneFrame(cShot);
}

// -fps writes the rate in yellow into the bottom left corner of the picture, and on standard error.
TEST_F(HackOnXvfb, FpsShowsTheRateOnThePicture) {
    const Window w = MakeTestWindow(320, 240);
    ASSERT_TRUE(StartHack({"-window-id", std::to_string(w), "-fps"}));
    WaitForDrawing(w, 10000);
    SleepMs(1500);  // the first rate comes after a second of frames
    const RgbPicture cShot = GrabWindow(pDisplay, w);
    ASSERT_EQ(cShot.nWidth, 320);
    int nCorner = 0, nElsewhere = 0;
    for (int y = 0; y < cShot.nHeight; ++y) {
        for (int x = 0; x < cShot.nWidth; ++x) {
            const uint8_t* p = &cShot.aRgb[(static_cast<size_t>(y) * cShot.nWidth + x) * 3];
            if (p[0] == 255 && p[1] == 255 && p[2] == 0) (y >= cShot.nHeight - 30 && x < 200 ? nCorner : nElsewhere)++;
        }
    }
    EXPECT_GT(nCorner, 40) << "no text in the bottom left corner";
    EXPECT_EQ(nElsewhere, 0);
    EXPECT_NE(HackStderr().find("frames/s"), std::string::npos) << HackStderr();
}

struct EndingSignal {
    int nSignal;
    const char* pszName;
};

class HackSignals : public HackOnXvfb, public ::testing::WithParamInterface<EndingSignal> {};

TEST_P(HackSignals, EndItWithinHalfASecondAndRemoveThePictures) {
    ASSERT_TRUE(StartHack({"-window"}));
    const Window w = WaitForOwnWindow(10000);
    ASSERT_NE(w, 0u) << HackStderr();
    WaitForDrawing(w, 10000);

    // While it runs: one private folder that only the user may enter, with the product's own pictures.
    const std::vector<std::string> aFolders = cRuntime.Entries();
    ASSERT_EQ(aFolders.size(), 1u);
    struct stat st {};
    ASSERT_EQ(stat(aFolders[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    for (int n = 1; n <= 3; ++n) {
        const std::string sShipped = ReadFile(kPictures + "/pic1_" + std::to_string(n) + ".bmp");
        EXPECT_FALSE(sShipped.empty());
        EXPECT_TRUE(ReadFile(aFolders[0] + "/Nerlo0" + std::to_string(n) + ".bmp") == sShipped) << "picture " << n;
    }

    ASSERT_EQ(kill(cHack.Pid(), GetParam().nSignal), 0);
    const int nStatus = cHack.WaitMs(500);
    ASSERT_NE(nStatus, -1) << GetParam().pszName << " did not end it within 0.5 s";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_TRUE(cRuntime.Entries().empty()) << "picture folder left behind";
    EXPECT_EQ(FindWindowByName(pDisplay, "Vantorel"), 0u) << "window left behind";
}

INSTANTIATE_TEST_SUITE_P(Ending, HackSignals,
                         ::testing::Values(EndingSignal {SIGTERM, "SIGTERM"}, EndingSignal {SIGINT, "SIGINT"},
                                           EndingSignal {SIGHUP, "SIGHUP"}),
                         [](const auto& info) { return std::string(info.param.pszName); });

// The two ways a window is lent: by id, and by xscreensaver's environment variable with -root.
class HackLentWindowGone : public HackOnXvfb, public ::testing::WithParamInterface<bool> {};

TEST_P(HackLentWindowGone, EndsItQuietly) {
    const Window w = MakeTestWindow(400, 300);
    ASSERT_TRUE(GetParam() ? StartHack({"-root"}, HexId(w)) : StartHack({"-window-id", std::to_string(w)}));
    const RgbPicture cShot = WaitForDrawing(w, 10000);
    ASSERT_LT(ShareOfColour(cShot, 255, 0, 255), 0.001) << "it did not draw on the window; " << HackStderr();

    XDestroyWindow(pDisplay, w);
    XSync(pDisplay, False);
    aTestWindows.clear();
    const int nStatus = cHack.WaitMs(5000);
    ASSERT_NE(nStatus, -1) << "still running without its window";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_EQ(HackStderr().find("X error"), std::string::npos) << HackStderr();
    EXPECT_TRUE(cRuntime.Entries().empty()) << "picture folder left behind";
}

INSTANTIATE_TEST_SUITE_P(Lent, HackLentWindowGone, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "XscreensaverWindow" : "WindowId"); });

TEST_F(HackOnXvfb, RootWithoutXscreensaverDrawsOnTheRootWindow) {
    ASSERT_TRUE(StartHack({"-root"}));
    const Window nRoot = DefaultRootWindow(pDisplay);
    const RgbPicture cShot = WaitForDrawing(nRoot, 10000);
    EXPECT_LT(ShareOfColour(cShot, 0, 0, 0), 0.05) << HackStderr();
    ASSERT_EQ(kill(cHack.Pid(), SIGTERM), 0);
    const int nStatus = cHack.WaitMs(2000);
    EXPECT_TRUE(nStatus != -1 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
}

// A window that does not exist, by id or in xscreensaver's variable: a message and exit code 1, no X
// error, nothing left behind.
TEST_F(HackOnXvfb, NoSuchWindowIsAMessageNotACrash) {
    for (bool bVariable : {false, true}) {
        SCOPED_TRACE(bVariable ? "XSCREENSAVER_WINDOW" : "-window-id");
        const Window w = MakeTestWindow(64, 64);
        XDestroyWindow(pDisplay, w);
        XSync(pDisplay, False);
        aTestWindows.clear();
        const std::string sId = HexId(w);
        ASSERT_TRUE(bVariable ? StartHack({"-root"}, sId) : StartHack({"-window-id", sId}));
        const int nStatus = cHack.WaitMs(5000);
        ASSERT_NE(nStatus, -1);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 1) << "status " << nStatus;
        EXPECT_NE(HackStderr().find("there is no window " + sId), std::string::npos) << HackStderr();
        EXPECT_EQ(HackStderr().find("X error"), std::string::npos) << HackStderr();
        EXPECT_TRUE(cRuntime.Entries().empty());
    }
}

TEST(HackCommandLine, BadOptionsEndWithCode2AndTheUsage) {
    const std::vector<std::vector<std::string>> aCases = {
        {"-bogus"}, {"--delay"}, {"-delay", "fast"}, {"-window-id", "0"}, {"-window-id", "0xnothex"}, {"stray"},
    };
    CTempFolder cFolder;
    for (const auto& aOptions : aCases) {
        SCOPED_TRACE(aOptions[0]);
        std::vector<std::string> aArgs {kHack};
        aArgs.insert(aArgs.end(), aOptions.begin(), aOptions.end());
        CChild c;
        ASSERT_TRUE(c.Start(aArgs, {"DISPLAY=", "XDG_RUNTIME_DIR=" + cFolder.Path()}, cFolder.Path() + "/err"));
        const int nStatus = c.WaitMs(5000);
        EXPECT_TRUE(nStatus != -1 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 2) << "status " << nStatus;
        const std::string sErr = ReadFile(cFolder.Path() + "/err");
        EXPECT_NE(sErr.find("vantorel: "), std::string::npos) << sErr;
        EXPECT_NE(sErr.find("usage: vantorel"), std::string::npos) << sErr;
    }
    EXPECT_EQ(cFolder.Entries().size(), 1u) << "a refused command line made a picture folder";
}

}  // namespace
