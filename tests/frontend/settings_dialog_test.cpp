// The settings dialog's rules against recording fakes: what loading shows, the kind choice, the
// file choice, storing in the file's order, the zoom rectangles and the background shade.
#include <gtest/gtest.h>

#include "fake_frontend_port.h"
#include "frontend/settings_dialog/nerlo_p.h"
#include "frontend/text_cp932.h"

namespace {

using Nerlo_P::Rect;

class CFakeDialogPort : public Nerlo_P::CSettingsDialogPort {
public:
    bool bCursorOk = true;
    int nCursorX = 300, nCursorY = 200;
    Rect window{264, 240, 766, 508};
    std::vector<std::pair<Rect, Rect>> aZooms;
    std::int32_t nOpenResult = 1;
    std::string sChosenFile;
    Nerlo_P::OpenFileRequest lastRequest;
    std::vector<std::string> aLog;

    bool GetCursorPos(int& x, int& y) override {
        x = nCursorX;
        y = nCursorY;
        return bCursorOk;
    }
    Rect GetWindowRect() override { return window; }
    void DrawAnimatedRects(int nAnimation, const Rect& from, const Rect& to) override {
        EXPECT_EQ(nAnimation, 3);
        aZooms.push_back({from, to});
    }
    std::int32_t GetOpenFileNameA(const Nerlo_P::OpenFileRequest& request, std::string& sFile) override {
        lastRequest = request;
        if (nOpenResult > 0) sFile = sChosenFile;
        return nOpenResult;
    }
    void ShellExecuteA(const std::string& sVerb, const std::string& sFile, const std::string& sParameters,
                       const std::string& sFolder, int nShowCmd) override {
        aLog.push_back("ShellExecuteA " + sVerb + " " + sFile + " [" + sParameters + "][" + sFolder + "] " +
                       std::to_string(nShowCmd));
    }
    void SetMousePointer(int nPointer) override { aLog.push_back("MousePointer " + std::to_string(nPointer)); }
};

struct Dialog {
    vtest::CFakeFrontEndPort port;
    CFakeDialogPort dialogPort;
    Nerlo_B::FrontEndState state;
    Nerlo_P::CNerloP form{port, dialogPort, state};
    Dialog(int nKind, int nTrack) {
        state.sProgramFolder = "C:\\saver";
        state.settings.BGM_Kind = static_cast<std::int16_t>(nKind);
        state.settings.BGM_RepeatTrack = static_cast<std::int16_t>(nTrack);
        state.settings.BGM_Folder = "C:\\saver";
    }
    std::vector<std::string> Writes() const {
        std::vector<std::string> a;
        for (const auto& s : port.aLog)
            if (s.rfind("WritePrivateProfileStringA", 0) == 0) a.push_back(s);
        return a;
    }
};

struct LoadCase {
    int nKind;
    bool aMarked[3];
    bool bRepeat, bFile;
};
class LoadByKind : public testing::TestWithParam<LoadCase> {};
TEST_P(LoadByKind, MarksTheKindAndEnablesItsControl) {
    Dialog d(GetParam().nKind, 0);
    d.form.Form_Load();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d.form.View().aKindMarked[i], GetParam().aMarked[i]) << i;
    EXPECT_EQ(d.form.View().bRepeatEnabled, GetParam().bRepeat);
    EXPECT_EQ(d.form.View().bFileButtonEnabled, GetParam().bFile);
}
INSTANTIATE_TEST_SUITE_P(Kinds, LoadByKind,
                         testing::Values(LoadCase{0, {true, false, false}, false, false},
                                         LoadCase{1, {false, true, false}, true, false},
                                         LoadCase{2, {false, false, true}, false, true},
                                         LoadCase{7, {false, false, false}, false, false},
                                         LoadCase{-1, {false, false, false}, false, false}));

TEST(SettingsDialogLoad, ComboHoldsAnEmptyEntryThenOneToThirtyAndShowsTheTrack) {
    Dialog d(1, 0);
    d.form.Form_Load();
    const auto& a = d.form.View().aRepeatItems;
    ASSERT_EQ(a.size(), 31u);
    EXPECT_EQ(a[0], "");
    EXPECT_EQ(a[1], "1");
    EXPECT_EQ(a[30], "30");
    EXPECT_EQ(d.form.View().sRepeatText, "");
    Dialog d7(1, 7);
    d7.form.Form_Load();
    EXPECT_EQ(d7.form.View().sRepeatText, "7");
}

TEST(SettingsDialogLoad, ZoomsFromTheCursorIntoTheWindowAndBackOnUnload) {
    Dialog d(0, 0);
    d.form.Form_Load();
    ASSERT_EQ(d.dialogPort.aZooms.size(), 1u);
    EXPECT_EQ(d.dialogPort.aZooms[0].first, (Rect{300, 200, 300, 200}));
    EXPECT_EQ(d.dialogPort.aZooms[0].second, d.dialogPort.window);
    d.dialogPort.window = {10, 20, 512, 288};
    d.form.Form_Unload();
    EXPECT_EQ(d.dialogPort.aZooms[1].first, (Rect{10, 20, 512, 288}));
    EXPECT_EQ(d.dialogPort.aZooms[1].second, (Rect{300, 200, 300, 200}));
}

TEST(SettingsDialogLoad, WithoutACursorPositionZoomsFromTheScreenCorner) {
    Dialog d(0, 0);
    d.dialogPort.bCursorOk = false;
    d.form.Form_Load();
    EXPECT_EQ(d.dialogPort.aZooms[0].first, (Rect{0, 0, 0, 0}));
}

TEST(SettingsDialogKind, CdThenFileDisablesTheComboAndEnablesTheFileButton) {
    Dialog d(0, 0);
    d.form.Form_Load();
    d.form.ChooseKind(1);
    EXPECT_TRUE(d.form.View().bRepeatEnabled);
    EXPECT_FALSE(d.form.View().bFileButtonEnabled);
    d.form.ChooseKind(2);
    EXPECT_FALSE(d.form.View().bRepeatEnabled);
    EXPECT_TRUE(d.form.View().bFileButtonEnabled);
    EXPECT_TRUE(d.form.View().aKindMarked[2]);
    EXPECT_FALSE(d.form.View().aKindMarked[1]);
    d.form.Cmd_Set_Click("");
    EXPECT_EQ(d.Writes()[0], "WritePrivateProfileStringA Section " + Nerlo_B::Cp932Text("BGM区分") +
                                 " 2 C:\\saver\\Vantorel.ini");
}

TEST(SettingsDialogFile, AChosenFileSetsFileCaptionAndFolder) {
    Dialog d(2, 0);
    d.form.Form_Load();
    d.dialogPort.sChosenFile = "D:\\music\\song.mp3";
    d.form.Cmd_File_Click();
    EXPECT_EQ(d.state.settings.BGM_File, "D:\\music\\song.mp3");
    EXPECT_EQ(d.form.View().sFileCaption, "D:\\music\\song.mp3");
    EXPECT_EQ(d.state.settings.BGM_Folder, "D:\\music");
    EXPECT_EQ(d.dialogPort.lastRequest.sInitialFolder, "C:\\saver");
    EXPECT_EQ(d.dialogPort.lastRequest.sFilter, Nerlo_B::Cp932Text("BGMﾌｧｲﾙ (MP3 WAV)") + '\0' + "*.MP3;*.WAV");
    EXPECT_EQ(d.dialogPort.lastRequest.sTitle, Nerlo_B::Cp932Text("ﾌｧｲﾙを開く"));
    EXPECT_EQ(d.dialogPort.lastRequest.nFileBufferSize, 255u);
    d.dialogPort.sChosenFile = "C:\\root.wav";
    d.form.Cmd_File_Click();
    EXPECT_EQ(d.state.settings.BGM_Folder, "C:");
}

TEST(SettingsDialogFile, ACancelledDialogChangesNothing) {
    Dialog d(2, 0);
    d.state.settings.BGM_File = "C:\\a\\old.mp3";
    d.form.Form_Load();
    d.dialogPort.nOpenResult = 0;
    d.dialogPort.sChosenFile = "C:\\b\\new.mp3";
    d.form.Cmd_File_Click();
    EXPECT_EQ(d.state.settings.BGM_File, "C:\\a\\old.mp3");
    EXPECT_EQ(d.form.View().sFileCaption, "C:\\a\\old.mp3");
    EXPECT_EQ(d.state.settings.BGM_Folder, "C:\\saver");
}

struct RepeatCase {
    const char* pszText;
    int nTrack;
};
class RepeatTexts : public testing::TestWithParam<RepeatCase> {};
TEST_P(RepeatTexts, StoreAsTheRoundedNumberOrZero) {
    Dialog d(1, 0);
    d.form.Form_Load();
    d.form.Cmd_Set_Click(GetParam().pszText);
    const auto a = d.Writes();
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1], "WritePrivateProfileStringA Section " + Nerlo_B::Cp932Text("BGMﾘﾋﾟｰﾄ") + " " +
                        std::to_string(GetParam().nTrack) + " C:\\saver\\Vantorel.ini");
    EXPECT_EQ(d.state.settings.BGM_RepeatTrack, GetParam().nTrack);
}
INSTANTIATE_TEST_SUITE_P(Texts, RepeatTexts,
                         testing::Values(RepeatCase{"", 0}, RepeatCase{"12", 12}, RepeatCase{" 3 ", 3},
                                         RepeatCase{"2.5", 2}, RepeatCase{"3.5", 4}, RepeatCase{"abc", 0},
                                         RepeatCase{"99999", 0}, RepeatCase{"-40000", 0},
                                         RepeatCase{"32767", 32767}, RepeatCase{"&H10", 16}));

TEST(SettingsDialogStore, WritesKindRepeatFileInThatOrderWhateverTheKind) {
    Dialog d(0, 0);
    d.state.settings.BGM_File = "C:\\m\\x.wav";
    d.form.Form_Load();
    EXPECT_TRUE(d.form.Cmd_Set_Click("5"));
    const std::string sTail = " C:\\saver\\Vantorel.ini";
    EXPECT_EQ(d.Writes(), (std::vector<std::string>{
                              "WritePrivateProfileStringA Section " + Nerlo_B::Cp932Text("BGM区分") + " 0" + sTail,
                              "WritePrivateProfileStringA Section " + Nerlo_B::Cp932Text("BGMﾘﾋﾟｰﾄ") + " 5" + sTail,
                              "WritePrivateProfileStringA Section " + Nerlo_B::Cp932Text("BGMﾌｧｲﾙ") +
                                  " C:\\m\\x.wav" + sTail}));
}

TEST(SettingsDialogLink, OpensTheAddressWithTheHourglassMeanwhile) {
    Dialog d(0, 0);
    d.form.lbl_URL_Click("http://www.s-vell.jp/");
    EXPECT_EQ(d.dialogPort.aLog, (std::vector<std::string>{"MousePointer 11",
                                                           "ShellExecuteA open http://www.s-vell.jp/ [][] 1",
                                                           "MousePointer 0"}));
}

TEST(SettingsDialogShade, FormRunsDarkBlueToPaleAndBackPicCRunsGrey) {
    const auto aForm = Nerlo_P::ShadeRows(243, Nerlo_P::ShadeSurface::Form);
    const auto aPic = Nerlo_P::ShadeRows(165, Nerlo_P::ShadeSurface::PicC);
    ASSERT_EQ(aForm.size(), 244u) << "rows 0 to 243 inclusive";
    ASSERT_EQ(aPic.size(), 166u);
    const struct {
        int y;
        Nerlo_P::Rgb colour;
    } aRows[] = {
        {0, {0, 0, 30}},       {1, {3, 3, 33}},       {40, {109, 109, 139}},
        {60, {154, 154, 184}}, {121, {220, 220, 250}},  // just short of the crest
        {200, {116, 116, 146}},
        {243, {0, 0, 30}},  // 3.142 is a little more than pi: the last row is just past the zero
    };
    for (const auto& row : aRows) {
        SCOPED_TRACE(row.y);
        EXPECT_EQ(aForm[row.y], row.colour);
    }
    EXPECT_EQ(aPic[0], (Nerlo_P::Rgb{30, 30, 30}));
    EXPECT_EQ(aPic[82], (Nerlo_P::Rgb{250, 250, 250}));
    EXPECT_TRUE(Nerlo_P::ShadeRows(0, Nerlo_P::ShadeSurface::Form).empty());
}

// The form moves in twips; the window lands on the nearest pixel of that place.
TEST(SettingsDialogLoad, CentresInTwipsAcrossAndAThirdDown) {
    const struct {
        int nScreenW, nScreenH, nFormW, nFormH;
        Nerlo_P::Point at;
    } aCases[] = {
        {1024, 768, 502, 271, {261, 166}},   // 7455 twips \ 3 = 2485 = 165.67 pixels: 166, not 165
        {1024, 768, 503, 272, {260, 165}},   // 7815 \ 2 = 3907 twips = 260.47 pixels
        {1280, 1024, 502, 271, {389, 251}},
        {800, 600, 1000, 700, {-100, -33}},  // larger than the screen: \ truncates towards zero
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(testing::Message() << c.nScreenW << "x" << c.nScreenH << " " << c.nFormW << "x" << c.nFormH);
        EXPECT_EQ(Nerlo_P::CentredFormPosition(c.nScreenW, c.nScreenH, c.nFormW, c.nFormH, 15, 15), c.at);
    }
}

// lbl_URL opens its page for a left press and release on it, and for nothing else.
TEST(SettingsDialogLink, OpensOnlyForALeftPressAndReleaseOnTheLink) {
    using Button = Nerlo_P::CLinkClick::Button;
    struct Step {
        bool bPress;
        Button eButton;
        bool bOverLink;
    };
    const struct {
        const char* pszName;
        std::vector<Step> aSteps;
        int nOpens;
    } aCases[] = {
        {"left click", {{true, Button::Left, true}, {false, Button::Left, true}}, 1},
        {"right click", {{true, Button::Right, true}, {false, Button::Right, true}}, 0},
        {"middle click", {{true, Button::Middle, true}, {false, Button::Middle, true}}, 0},
        {"dragged off", {{true, Button::Left, true}, {false, Button::Left, false}}, 0},
        {"pressed elsewhere, released on it", {{true, Button::Left, false}, {false, Button::Left, true}}, 0},
        {"right release while the left is held",
         {{true, Button::Left, true}, {false, Button::Right, true}, {false, Button::Left, true}}, 1},
        {"a second release opens nothing more",
         {{true, Button::Left, true}, {false, Button::Left, true}, {false, Button::Left, true}}, 1},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszName);
        Dialog d(0, 0);
        Nerlo_P::CLinkClick link;
        for (const Step& step : c.aSteps) {
            if (step.bPress) link.OnPress(step.eButton, step.bOverLink);
            else if (link.OnRelease(step.eButton, step.bOverLink)) d.form.lbl_URL_Click("http://www.s-vell.jp/");
        }
        EXPECT_EQ(static_cast<int>(d.dialogPort.aLog.size()), 3 * c.nOpens);
    }
}

TEST(SettingsDialogText, HashHashDropsZero) {
    EXPECT_EQ(Nerlo_P::FormatHashHash(0), "");
    EXPECT_EQ(Nerlo_P::FormatHashHash(9), "9");
    EXPECT_EQ(Nerlo_P::FormatHashHash(30), "30");
    EXPECT_EQ(Nerlo_P::FormatHashHash(-5), "-5");
}

}  // namespace
