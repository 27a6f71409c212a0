// The preview form's build steps, its geometry and its unload, against a recording fake of its port:
// every call lands in the log in order, with its arguments.
#include "frontend/preview_form.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "frontend/command_line.h"

namespace {

using Nerlo_B::Nerlo_R;
using Nerlo_B::PreviewGeometry;
using Nerlo_B::PreviewGeometryFor;
using Nerlo_B::WindowHandle;
using Nerlo_B::WindowRect;

std::string Hex(std::uintmax_t n) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "0x%jx", n);
    return sz;
}

class CFakePreviewPort : public Nerlo_B::CPreviewPort {
public:
    static constexpr WindowHandle kForm = 0x500;

    std::vector<std::string> aLog;
    std::map<WindowHandle, WindowRect> aWindows;  // the windows that exist, with their rectangles
    WindowHandle hNextForm = kForm;
    std::int32_t nFormStyle = static_cast<std::int32_t>(0x86000000);  // WS_POPUP | WS_CLIPCHILDREN
    int nTwipsPerPixelX = 15, nTwipsPerPixelY = 15;
    std::int32_t nPostResult = 1;

    bool GetWindowRect(WindowHandle hWnd, WindowRect& rect) override {
        aLog.push_back("GetWindowRect " + Hex(hWnd));
        const auto it = aWindows.find(hWnd);
        if (it == aWindows.end()) return false;
        rect = it->second;
        return true;
    }
    std::int32_t GetWindowLongA(WindowHandle hWnd, int nIndex) override {
        aLog.push_back("GetWindowLongA " + Hex(hWnd) + " " + std::to_string(nIndex));
        return hWnd == kForm ? nFormStyle : 0;
    }
    std::int32_t SetWindowLongA(WindowHandle hWnd, int nIndex, std::int32_t nNewLong) override {
        aLog.push_back("SetWindowLongA " + Hex(hWnd) + " " + std::to_string(nIndex) + " " +
                       Hex(static_cast<std::uint32_t>(nNewLong)));
        return 0;
    }
    WindowHandle SetParent(WindowHandle hWndChild, WindowHandle hWndNewParent) override {
        aLog.push_back("SetParent " + Hex(hWndChild) + " " + Hex(hWndNewParent));
        return 0;
    }
    std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t nMessage, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        aLog.push_back("PostMessageA " + Hex(hWnd) + " " + Hex(nMessage) + " " + std::to_string(wParam) + " " +
                       std::to_string(lParam));
        return nPostResult;
    }
    bool IsWindow(WindowHandle hWnd) override {
        aLog.push_back("IsWindow " + Hex(hWnd));
        return aWindows.count(hWnd) != 0;
    }
    int TwipsPerPixelX() override { return nTwipsPerPixelX; }
    int TwipsPerPixelY() override { return nTwipsPerPixelY; }
    WindowHandle LoadForm() override {
        aLog.push_back("LoadForm");
        return hNextForm;
    }
    void MoveForm(std::int16_t nLeft, std::int16_t nTop, std::int16_t nWidth, std::int16_t nHeight) override {
        aLog.push_back("MoveForm " + std::to_string(nLeft) + " " + std::to_string(nTop) + " " +
                       std::to_string(nWidth) + " " + std::to_string(nHeight));
    }
    void MoveImage(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight) override {
        aLog.push_back("MoveImage " + std::to_string(nLeft) + " " + std::to_string(nTop) + " " +
                       std::to_string(nWidth) + " " + std::to_string(nHeight));
    }
    void ShowForm() override { aLog.push_back("ShowForm"); }
    void SetWatchTimer(std::uint32_t nElapseMs) override { aLog.push_back("SetWatchTimer " + std::to_string(nElapseMs)); }
    void UnloadForm() override { aLog.push_back("UnloadForm"); }
};

using Log = std::vector<std::string>;

// ---- building the form from the command line -----------------------------------------------------

struct BuildCase {
    const char* pszName;
    const char16_t* pszArguments;
    std::map<WindowHandle, WindowRect> aWindows;
    Log aExpected;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.pszName; }

class PreviewBuild : public testing::TestWithParam<BuildCase> {};

TEST_P(PreviewBuild, MakesTheFormAChildCoveringTheParent) {
    const BuildCase& c = GetParam();
    CFakePreviewPort port;
    port.aWindows = c.aWindows;
    std::int32_t ApiResult = 0;
    Nerlo_R form(port, ApiResult);
    EXPECT_TRUE(form.Build(Nerlo_B::ParseCommandLine(c.pszArguments).nPreviewParent));
    EXPECT_EQ(port.aLog, c.aExpected);
}

// The display-properties monitor, the form's own screen position aside: Windows passes decimal.
Log BuildLog(const std::string& sParent, const std::string& sFormMove, const std::string& sImageMove) {
    return {"GetWindowRect " + sParent,      "LoadForm",
            "GetWindowLongA 0x500 -16",      "SetWindowLongA 0x500 -16 0xc6000000",
            "SetParent 0x500 " + sParent,    "MoveForm " + sFormMove,
            "MoveImage " + sImageMove,       "ShowForm",
            "SetWatchTimer 250"};
}

INSTANTIATE_TEST_SUITE_P(Parents, PreviewBuild, testing::Values(
    BuildCase{"monitor 152 x 112, blank", u"/p 1234", {{1234, {300, 200, 452, 312}}},
              BuildLog("0x4d2", "0 0 2280 1680", "0 0 152 112")},
    BuildCase{"monitor 152 x 112, colon", u"/p:1234", {{1234, {300, 200, 452, 312}}},
              BuildLog("0x4d2", "0 0 2280 1680", "0 0 152 112")},
    BuildCase{"larger parent", u"/P 65802", {{65802, {0, 0, 400, 300}}},
              BuildLog("0x1010a", "0 0 6000 4500", "0 0 400 300")},
    BuildCase{"handle naming no window", u"/p 999", {{1234, {0, 0, 152, 112}}},
              BuildLog("0x3e7", "0 0 0 0", "0 0 0 0")},
    BuildCase{"no number", u"/p abc", {{1234, {0, 0, 152, 112}}}, BuildLog("0x0", "0 0 0 0", "0 0 0 0")},
    // Val reads the leading 0 and stops at the x: C's hexadecimal form is not a handle.
    BuildCase{"0x form", u"/P 0x4D2", {{1234, {0, 0, 152, 112}}}, BuildLog("0x0", "0 0 0 0", "0 0 0 0")},
    BuildCase{"&H form", u"/P &H4D2", {{1234, {0, 0, 152, 112}}},
              BuildLog("0x4d2", "0 0 2280 1680", "0 0 152 112")},
    // 2185 x 15 twips does not fit in 16 bits: the width stays 0, the height is set.
    BuildCase{"parent over 2184 pixels wide", u"/p 1234", {{1234, {-10, 0, 2175, 100}}},
              BuildLog("0x4d2", "0 0 0 1500", "0 0 0 100")}),
    [](const testing::TestParamInfo<BuildCase>& info) {
        std::string s;
        for (const char* p = info.param.pszName; *p; ++p) s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return s;
    });

TEST(PreviewBuild, GoesOnWithEveryStepWhenTheFormCouldNotBeMade) {
    CFakePreviewPort port;
    port.aWindows = {{1234, {0, 0, 152, 112}}};
    port.hNextForm = 0;
    std::int32_t ApiResult = 0;
    Nerlo_R form(port, ApiResult);
    EXPECT_FALSE(form.Build(1234));
    EXPECT_EQ(port.aLog, (Log{"GetWindowRect 0x4d2", "LoadForm", "GetWindowLongA 0x0 -16",
                              "SetWindowLongA 0x0 -16 0x40000000", "SetParent 0x0 0x4d2", "MoveForm 0 0 2280 1680",
                              "MoveImage 0 0 152 112", "ShowForm", "SetWatchTimer 250"}));
}

TEST(PreviewBuild, KeepsEveryStyleBitAndAddsOnlyChild) {
    struct StyleCase {
        std::uint32_t nBefore, nAfter;
    };
    for (const StyleCase c : {StyleCase{0x00000000u, 0x40000000u}, StyleCase{0x86000000u, 0xc6000000u},
                              StyleCase{0x40000000u, 0x40000000u}, StyleCase{0xffffffffu, 0xffffffffu}}) {
        SCOPED_TRACE(Hex(c.nBefore));
        CFakePreviewPort port;
        port.nFormStyle = static_cast<std::int32_t>(c.nBefore);
        std::int32_t ApiResult = 0;
        Nerlo_R form(port, ApiResult);
        form.Build(1234);
        ASSERT_GE(port.aLog.size(), 4u);
        EXPECT_EQ(port.aLog[3], "SetWindowLongA 0x500 -16 " + Hex(c.nAfter));
    }
}

// ---- the geometry --------------------------------------------------------------------------------

struct GeometryCase {
    const char* pszName;
    WindowRect parent;
    int nTwipsPerPixelX, nTwipsPerPixelY;
    PreviewGeometry expected;
};

void PrintTo(const GeometryCase& c, std::ostream* os) { *os << c.pszName; }

class PreviewGeometryOf : public testing::TestWithParam<GeometryCase> {};

TEST_P(PreviewGeometryOf, IsTwipsInSixteenBitsAndPixelsForTheImage) {
    const GeometryCase& c = GetParam();
    const PreviewGeometry g = PreviewGeometryFor(c.parent, c.nTwipsPerPixelX, c.nTwipsPerPixelY);
    EXPECT_EQ(g.nLeft, c.expected.nLeft);
    EXPECT_EQ(g.nTop, c.expected.nTop);
    EXPECT_EQ(g.nWidth, c.expected.nWidth);
    EXPECT_EQ(g.nHeight, c.expected.nHeight);
    EXPECT_EQ(g.nImageWidth, c.expected.nImageWidth);
    EXPECT_EQ(g.nImageHeight, c.expected.nImageHeight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewGeometryOf, testing::Values(
    GeometryCase{"the still's own size", {40, 60, 192, 172}, 15, 15, {0, 0, 2280, 1680, 152, 112}},
    GeometryCase{"no window", {0, 0, 0, 0}, 15, 15, {0, 0, 0, 0, 0, 0}},
    GeometryCase{"widest that fits", {0, 0, 2184, 2184}, 15, 15, {0, 0, 32760, 32760, 2184, 2184}},
    GeometryCase{"one pixel too wide", {0, 0, 2185, 10}, 15, 15, {0, 0, 0, 150, 0, 10}},
    GeometryCase{"one pixel too tall", {0, 0, 10, 2185}, 15, 15, {0, 0, 150, 0, 10, 0}},
    GeometryCase{"a whole screen off the left", {-3000, 0, 0, 100}, 15, 15, {0, 0, 0, 1500, 0, 100}},
    // 120 dots per inch: 12 twips per pixel, so the limit moves to 2730 pixels.
    GeometryCase{"120 dpi, fits", {0, 0, 2730, 112}, 12, 12, {0, 0, 32760, 1344, 2730, 112}},
    GeometryCase{"120 dpi, too wide", {0, 0, 2731, 112}, 12, 12, {0, 0, 0, 1344, 0, 112}},
    GeometryCase{"rectangle spanning all of 32 bits", {-2147483647 - 1, 0, 2147483647, 1}, 15, 15,
                 {0, 0, 0, 15, 0, 1}}));

// ---- unloading ----------------------------------------------------------------------------------

TEST(PreviewUnload, PostsCloseToItsOwnWindowAndKeepsTheResult) {
    CFakePreviewPort port;
    port.aWindows = {{1234, {0, 0, 152, 112}}};
    port.nPostResult = 1;
    std::int32_t ApiResult = 7;
    Nerlo_R form(port, ApiResult);
    form.Build(1234);
    port.aLog.clear();
    form.Unload();
    EXPECT_EQ(port.aLog, (Log{"PostMessageA 0x500 0x10 0 0", "UnloadForm"}));
    EXPECT_EQ(ApiResult, 1);
    // The window is gone after the first unload; nothing is posted to it again.
    form.Unload();
    EXPECT_EQ(port.aLog.size(), 2u);
}

struct WatchCase {
    const char* pszName;
    bool bParentExists;
    Log aExpected;
};

void PrintTo(const WatchCase& c, std::ostream* os) { *os << c.pszName; }

class PreviewParentWatch : public testing::TestWithParam<WatchCase> {};

TEST_P(PreviewParentWatch, UnloadsOnlyWhenTheParentIsGone) {
    const WatchCase& c = GetParam();
    CFakePreviewPort port;
    port.aWindows = {{1234, {0, 0, 152, 112}}};
    std::int32_t ApiResult = 0;
    Nerlo_R form(port, ApiResult);
    form.Build(1234);
    if (!c.bParentExists) port.aWindows.clear();
    port.aLog.clear();
    form.ParentWatch_Timer();
    EXPECT_EQ(port.aLog, c.aExpected);
}

INSTANTIATE_TEST_SUITE_P(Parents, PreviewParentWatch, testing::Values(
    WatchCase{"parent still there", true, {"IsWindow 0x4d2"}},
    WatchCase{"parent destroyed", false, {"IsWindow 0x4d2", "PostMessageA 0x500 0x10 0 0", "UnloadForm"}}));

}  // namespace
