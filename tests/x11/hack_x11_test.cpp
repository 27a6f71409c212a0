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

// llvmpipe on both sides: only the GLX and EGL paths differ, by a rounding or two. Tight enough that the
// neighbouring frame of a pinned moment fails it (each picture test shows that it does).
const double kSameFrame = 0.004;
// The moment the picture tests pin: six seconds in, the dropping tube is in view and moves fast.
const uint32_t kPinnedMs = 6000;
// One frame later at 60 frames a second.
const uint32_t kNextFrameMs = kPinnedMs + 17;

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
        return cHack.Start(aArgs,
                           {"DISPLAY=" + pServer->Name(), "LIBGL_ALWAYS_SOFTWARE=1",
                            "XDG_RUNTIME_DIR=" + cRuntime.Path(), "XSCREENSAVER_WINDOW=" + sScreensaverWindow},
                           cStderr.Path() + "/stderr.txt");
    }
    // The hack at the pinned moment, drawing on what the options name.
    bool StartPinnedHack(std::vector<std::string> aOptions, const std::string& sScreensaverWindow = "") {
        aOptions.insert(aOptions.end(), {"-time", std::to_string(kPinnedMs / 1000.0)});
        return StartHack(aOptions, sScreensaverWindow);
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

    // Waits until the window shows neither its own background nor black: the hack has drawn.
    RgbPicture WaitForDrawing(Window w, int nTimeoutMs) {
        RgbPicture c;
        WaitUntil(nTimeoutMs, [&] { return Drawn(c = GrabWindow(pDisplay, w)); });
        return Drawn(c) ? c : RgbPicture {};
    }

    // The window shows the pinned moment exactly as the headless renderer draws it at the window's size,
    // and the neighbouring frame would not pass for it. Waits for that picture (the first drawn at a new
    // size may still be on its way); the verdict is on the last grab.
    void ExpectPinnedFrame(Window w, int nWidth, int nHeight) {
        const RgbPicture cFrame = HeadlessFrame(kFramesTool, nWidth, nHeight, kPinnedMs);
        ASSERT_EQ(cFrame.nWidth, nWidth) << "the frame renderer drew nothing";
        RgbPicture cShot;
        WaitUntil(20000, [&] { return Rmse(cShot = GrabWindow(pDisplay, w), cFrame) < kSameFrame; });
        ASSERT_EQ(cShot.nWidth, nWidth);
        ASSERT_EQ(cShot.nHeight, nHeight);
        const double fPinned = Rmse(cShot, cFrame);
        const double fNext = Rmse(cShot, HeadlessFrame(kFramesTool, nWidth, nHeight, kNextFrameMs));
        std::printf("%dx%d: RMSE %.5f against the pinned moment, %.5f against the next frame\n", nWidth, nHeight,
                    fPinned, fNext);
        EXPECT_LT(fPinned, kSameFrame) << "the shot is not the pinned moment at " << nWidth << "x" << nHeight;
        EXPECT_GT(fNext, kSameFrame) << "the threshold cannot tell the next frame from the pinned one";
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
};

CXvfb* HackOnXvfb::pServer = nullptr;
Display* HackOnXvfb::pDisplay = nullptr;

TEST_F(HackOnXvfb, OwnWindowShowsThePinnedMomentAndEscapeEndsIt) {
    ASSERT_TRUE(StartPinnedHack({"-window"}));
    const Window w = WaitForOwnWindow(30000);
    ASSERT_NE(w, 0u) << "no window titled Vantorel; the hack said: " << HackStderr();
    XWindowAttributes wa {};
    XGetWindowAttributes(pDisplay, w, &wa);
    EXPECT_EQ(wa.width, 1024);
    EXPECT_EQ(wa.height, 768);
    ExpectPinnedFrame(w, 1024, 768);

    SendKey(w, XK_Escape);
    const int nStatus = cHack.WaitMs(30000);
    ASSERT_NE(nStatus, -1) << "Escape did not end it";
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_EQ(FindWindowByName(pDisplay, "Vantorel"), 0u);
    EXPECT_TRUE(cRuntime.Entries().empty()) << "picture folder left behind";
}

TEST_F(HackOnXvfb, QAndTheCloseButtonEndTheOwnWindowToo) {
    for (bool bClose : {false, true}) {
        SCOPED_TRACE(bClose ? "close button" : "q");
        ASSERT_TRUE(StartHack({"--window", "-delay", "0"}));
        const Window w = WaitForOwnWindow(30000);
        ASSERT_NE(w, 0u) << HackStderr();
        WaitForDrawing(w, 30000);
        if (bClose) SendClose(w);
        else SendKey(w, XK_q);
        const int nStatus = cHack.WaitMs(30000);
        ASSERT_NE(nStatus, -1);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
        EXPECT_TRUE(cRuntime.Entries().empty());
    }
}

TEST_F(HackOnXvfb, LentWindowIsDrawnAtItsSizeAndFollowsItsResize) {
    const Window w = MakeTestWindow(320, 240);
    ASSERT_TRUE(StartPinnedHack({"-window-id", HexId(w)}));
    ExpectPinnedFrame(w, 320, 240);
    // Keys belong to the lender: they do not end the hack.
    SendKey(w, XK_Escape);

    // The projection must follow the new aspect.
    XResizeWindow(pDisplay, w, 640, 200);
    XSync(pDisplay, False);
    ExpectPinnedFrame(w, 640, 200);
    // And to the other side of 4:3: a portrait window widens the vertical field.
    XResizeWindow(pDisplay, w, 200, 320);
    XSync(pDisplay, False);
    ExpectPinnedFrame(w, 200, 320);
    EXPECT_TRUE(cHack.Running()) << HackStderr();
}

// A long delay does not leave a resized window half drawn until the next frame is due.
TEST_F(HackOnXvfb, ResizeRedrawsAtOnceWhateverTheDelay) {
    const Window w = MakeTestWindow(160, 120);
    ASSERT_TRUE(StartPinnedHack({"-window-id", HexId(w), "-delay", "60000000"}));
    ExpectPinnedFrame(w, 160, 120);
    XResizeWindow(pDisplay, w, 240, 180);
    XSync(pDisplay, False);
    ExpectPinnedFrame(w, 240, 180);
}

// Without -time the scene runs on the clock: the picture changes from one grab to a later one. Xvfb
// has no DPMS: this is also the hack drawing on a server that cannot say whether the monitor is on.
TEST_F(HackOnXvfb, UnpinnedPictureMoves) {
    int nOpcode = 0, nEvent = 0, nError = 0;
    ASSERT_FALSE(XQueryExtension(pDisplay, "DPMS", &nOpcode, &nEvent, &nError)) << "this Xvfb has DPMS";
    const Window w = MakeTestWindow(320, 240);
    ASSERT_TRUE(StartHack({"-window-id", HexId(w)}));
    const RgbPicture cFirst = WaitForDrawing(w, 20000);
    ASSERT_FALSE(cFirst.aRgb.empty()) << HackStderr();
    EXPECT_LT(ShareOfColour(cFirst, 255, 255, 255), 0.05) << "the picture is white";
    EXPECT_TRUE(WaitUntil(30000, [&] { return Rmse(GrabWindow(pDisplay, w), cFirst) > 0.01; }))
        << "the picture stood still for 30 s";
}

// -fps writes the rate in yellow into the bottom left corner of the picture, and on standard error.
TEST_F(HackOnXvfb, FpsShowsTheRateOnThePicture) {
    const Window w = MakeTestWindow(320, 240);
    ASSERT_TRUE(StartHack({"-window-id", std::to_string(w), "-fps"}));
    int nCorner = 0, nElsewhere = 0;
    const auto fnCountYellow = [&] {
        const RgbPicture cShot = GrabWindow(pDisplay, w);
        nCorner = nElsewhere = 0;
        for (int y = 0; y < cShot.nHeight; ++y) {
            for (int x = 0; x < cShot.nWidth; ++x) {
                const uint8_t* p = &cShot.aRgb[(static_cast<size_t>(y) * cShot.nWidth + x) * 3];
                if (p[0] == 255 && p[1] == 255 && p[2] == 0) (y >= cShot.nHeight - 30 && x < 200 ? nCorner : nElsewhere)++;
            }
        }
        return nCorner > 40;
    };
    // The first rate comes after a second of frames, however long the machine takes to draw them.
    EXPECT_TRUE(WaitUntil(30000, fnCountYellow)) << "no text in the bottom left corner";
    EXPECT_EQ(nElsewhere, 0);
    EXPECT_NE(HackStderr().find("frames/s"), std::string::npos) << HackStderr();
}

struct EndingSignal {
    int nSignal;
    const char* pszName;
};

class HackSignals : public HackOnXvfb, public ::testing::WithParamInterface<EndingSignal> {};

TEST_P(HackSignals, EndItAtTheNextFrameAndRemoveThePictures) {
    ASSERT_TRUE(StartHack({"-window"}));
    const Window w = WaitForOwnWindow(30000);
    ASSERT_NE(w, 0u) << HackStderr();
    WaitForDrawing(w, 30000);

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

    // The hack takes a signal at its next wait, so it ends within a frame: on a quiet machine in well under
    // 0.5 s. The check allows 3 s, because a machine with every core busy may not run the hack (or the
    // X server it releases its window to) for a second or more; a hack that missed the signal would
    // run on for good and still fail it.
    ASSERT_EQ(kill(cHack.Pid(), GetParam().nSignal), 0);
    const int nStatus = cHack.WaitMs(3000);
    ASSERT_NE(nStatus, -1) << GetParam().pszName << " did not end it within 3 s";
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
    const RgbPicture cShot = WaitForDrawing(w, 30000);
    ASSERT_LT(ShareOfColour(cShot, 255, 0, 255), 0.001) << "it did not draw on the window; " << HackStderr();

    XDestroyWindow(pDisplay, w);
    XSync(pDisplay, False);
    aTestWindows.clear();
    const int nStatus = cHack.WaitMs(30000);
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
    const RgbPicture cShot = WaitForDrawing(nRoot, 30000);
    EXPECT_LT(ShareOfColour(cShot, 0, 0, 0), 0.05) << HackStderr();
    ASSERT_EQ(kill(cHack.Pid(), SIGTERM), 0);
    const int nStatus = cHack.WaitMs(30000);
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
        const int nStatus = cHack.WaitMs(30000);
        ASSERT_NE(nStatus, -1);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 1) << "status " << nStatus;
        EXPECT_NE(HackStderr().find("there is no window " + sId), std::string::npos) << HackStderr();
        EXPECT_EQ(HackStderr().find("X error"), std::string::npos) << HackStderr();
        EXPECT_TRUE(cRuntime.Entries().empty());
    }
}

TEST(SaverCommandLine, BadOptionsEndWithCode2AndTheUsage) {
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
        const int nStatus = c.WaitMs(30000);
        EXPECT_TRUE(nStatus != -1 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 2) << "status " << nStatus;
        const std::string sErr = ReadFile(cFolder.Path() + "/err");
        EXPECT_NE(sErr.find("vantorel: "), std::string::npos) << sErr;
        EXPECT_NE(sErr.find("usage: vantorel"), std::string::npos) << sErr;
    }
    EXPECT_EQ(cFolder.Entries().size(), 1u) << "a refused command line made a picture folder";
}

}  // namespace
