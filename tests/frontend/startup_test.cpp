// Start-up: the order of its checks and what each mode leads to.
#include "frontend/startup.h"

#include <gtest/gtest.h>

#include "fake_frontend_port.h"

namespace {

using Nerlo_B::StartupNext;

const std::string kFolder = "C:\\Saver";
const std::string kRenderer = "C:\\Saver\\Vantorel.dll";

struct StartupCase {
    const char16_t* pszArguments;
    bool bRendererPresent;
    StartupNext eNext;
    bool bMessageShown;
    bool bCursorHidden;
    bool bSettingsRead;
};

void PrintTo(const StartupCase& c, std::ostream* os) {
    for (const char16_t* p = c.pszArguments; *p; ++p) *os << static_cast<char>(*p);
    *os << (c.bRendererPresent ? " with renderer" : " without renderer");
}

class StartupModes : public testing::TestWithParam<StartupCase> {};

TEST_P(StartupModes, LeadToTheirOutcome) {
    const StartupCase& c = GetParam();
    SCOPED_TRACE(testing::Message() << "arguments of length " << std::u16string(c.pszArguments).size()
                                    << (c.bRendererPresent ? ", renderer present" : ", renderer missing"));
    vtest::CFakeFrontEndPort port;
    if (c.bRendererPresent) port.aReadableFiles.insert(kRenderer);
    Nerlo_B::FrontEndState state;
    state.commandLine = Nerlo_B::ParseCommandLine(c.pszArguments);
    state.sProgramFolder = kFolder;

    EXPECT_EQ(Nerlo_B::Main(port, state), c.eNext);
    EXPECT_EQ(port.CallsOf("MessageBoxW").size(), c.bMessageShown ? 1u : 0u);
    EXPECT_EQ(port.CallsOf("ShowCursor FALSE").size(), c.bCursorHidden ? 1u : 0u);
    EXPECT_EQ(state.CursorCount.has_value(), c.bCursorHidden);
    EXPECT_EQ(!port.CallsOf("GetPrivateProfileStringA").empty(), c.bSettingsRead);
    EXPECT_EQ(!port.CallsOf("CreateDirectoryA C:\\s_vell").empty(), c.bSettingsRead);
}

INSTANTIATE_TEST_SUITE_P(Modes, StartupModes, testing::Values(
    StartupCase{u"/s", true, StartupNext::LoadShowForm, false, true, true},
    StartupCase{u"", true, StartupNext::LoadShowForm, false, false, true},
    StartupCase{u"/c", true, StartupNext::ShowSettingsDialog, false, false, true},
    StartupCase{u"/a", true, StartupNext::EndProgram, false, false, true},
    StartupCase{u" /s", true, StartupNext::EndProgram, false, false, true},
    StartupCase{u"/p 1234", true, StartupNext::ShowPreview, false, false, false},
    // Only the preview does without the renderer.
    StartupCase{u"/s", false, StartupNext::EndProgram, true, false, true},
    StartupCase{u"", false, StartupNext::EndProgram, true, false, true},
    StartupCase{u"/c", false, StartupNext::EndProgram, true, false, true},
    StartupCase{u"/a", false, StartupNext::EndProgram, true, false, true},
    StartupCase{u"/p 1234", false, StartupNext::ShowPreview, false, false, false}));

class StartupBesideAnotherInstance : public testing::TestWithParam<const char*> {};

TEST_P(StartupBesideAnotherInstance, EndsBeforeLookingAtTheMode) {
    for (const char16_t* pszArguments : {u"/s", u"/p 1234", u"/c", u""}) {
        vtest::CFakeFrontEndPort port;
        port.aWindowTitles.insert(GetParam());
        port.aReadableFiles.insert(kRenderer);
        Nerlo_B::FrontEndState state;
        state.commandLine = Nerlo_B::ParseCommandLine(pszArguments);
        state.sProgramFolder = kFolder;
        EXPECT_EQ(Nerlo_B::Main(port, state), StartupNext::EndProgram);
        EXPECT_EQ(port.CallsOf("FindWindowA").size(), port.aLog.size()) << "only window searches were made";
    }
}

INSTANTIATE_TEST_SUITE_P(Markers, StartupBesideAnotherInstance, testing::Values("Nerlo_Main", "<Vantorel>"));

TEST(Startup, RunsItsStepsInOrder) {
    vtest::CFakeFrontEndPort port;
    port.aReadableFiles.insert(kRenderer);
    port.nCursorCounter = 0;
    Nerlo_B::FrontEndState state;
    state.commandLine = Nerlo_B::ParseCommandLine(u"/S");
    state.sProgramFolder = kFolder;
    ASSERT_EQ(Nerlo_B::Main(port, state), StartupNext::LoadShowForm);
    const std::vector<std::string> aExpected = {
        "FindWindowA (null) Nerlo_Main",
        "FindWindowA (null) <Vantorel>",
        "CreateDirectoryA C:\\s_vell",
        // No settings stored aside for this user: the file beside the programs is read.
        "SHGetFolderPathA 26",
        "OpenForInput C:\\Users\\u\\AppData\\Roaming\\Vantorel\\Vantorel.ini",
        "GetPrivateProfileStringA Section \x42\x47\x4D\x8B\xE6\x95\xAA C:\\Saver\\Vantorel.ini",
        "GetPrivateProfileStringA Section \x42\x47\x4D\xD8\xCB\xDF\xB0\xC4 C:\\Saver\\Vantorel.ini",
        "GetPrivateProfileStringA Section \x42\x47\x4D\xCC\xA7\xB2\xD9 C:\\Saver\\Vantorel.ini",
        "OpenForInput C:\\Saver\\Vantorel.dll",
        "ShowCursor FALSE",
    };
    EXPECT_EQ(port.aLog, aExpected);
    EXPECT_EQ(state.CursorCount, -1);
    EXPECT_EQ(state.settings.BGM_Folder, kFolder);
}

TEST(Startup, TellsOfAMissingRendererInTheProgramsCaption) {
    vtest::CFakeFrontEndPort port;
    Nerlo_B::FrontEndState state;
    state.commandLine = Nerlo_B::ParseCommandLine(u"/s");
    state.sProgramFolder = kFolder;
    EXPECT_EQ(Nerlo_B::Main(port, state), StartupNext::EndProgram);
    EXPECT_EQ(port.sLastMessageCaption, u"Vantorel (ScreenSaver)");
    EXPECT_EQ(port.sLastMessageText, u"Vantorel.dll が同じﾌｫﾙﾀﾞに見つかりません！");
}

}  // namespace
