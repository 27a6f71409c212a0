// The settings file rules: what LoadSettings makes of each value, the profile helpers, the key bytes
// and the two path functions.
#include "frontend/settings_file.h"

#include <gtest/gtest.h>

#include "fake_frontend_port.h"

namespace {

using Nerlo_B::BgmSettings;

const std::string kFolder = "C:\\Program Files\\Vantorel";
const std::string kIni = "C:\\Program Files\\Vantorel\\Vantorel.ini";
// The keys' bytes under code page 932, as the file format fixes them.
const std::string kKeyKind = "\x42\x47\x4D\x8B\xE6\x95\xAA";
const std::string kKeyRepeat = "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4";
const std::string kKeyFile = "\x42\x47\x4D\xCC\xA7\xB2\xD9";

struct LoadCase {
    const char* pszName;
    const char* pszKind;    // nullptr: key missing
    const char* pszRepeat;  // nullptr: key missing
    const char* pszFile;    // nullptr: key missing
    bool bFileReadable;
    BgmSettings before;
    std::int16_t nKind;
    std::int16_t nRepeat;
    std::string sFile;
    std::string sFolder;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.pszName; }

class LoadSettingsRules : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadSettingsRules, FillsTheSettings) {
    const LoadCase& c = GetParam();
    SCOPED_TRACE(c.pszName);
    vtest::CFakeFrontEndPort port;
    if (c.pszKind) port.aProfile[{kIni, "Section", kKeyKind}] = c.pszKind;
    if (c.pszRepeat) port.aProfile[{kIni, "Section", kKeyRepeat}] = c.pszRepeat;
    if (c.pszFile) port.aProfile[{kIni, "Section", kKeyFile}] = c.pszFile;
    if (c.pszFile && c.bFileReadable) port.aReadableFiles.insert(c.pszFile);

    BgmSettings settings = c.before;
    Nerlo_B::LoadSettings(port, kFolder, settings);
    EXPECT_EQ(settings.BGM_Kind, c.nKind);
    EXPECT_EQ(settings.BGM_RepeatTrack, c.nRepeat);
    EXPECT_EQ(settings.BGM_File, c.sFile);
    EXPECT_EQ(settings.BGM_Folder, c.sFolder);
    // The changes are in memory only.
    EXPECT_TRUE(port.CallsOf("WritePrivateProfileStringA").empty());
}

const BgmSettings kFresh{};
const BgmSettings kEarlier{1, 7, "old", "oldfolder"};

INSTANTIATE_TEST_SUITE_P(Cases, LoadSettingsRules, testing::Values(
    LoadCase{"no file at all", nullptr, nullptr, nullptr, false, kFresh, 0, 0, "", kFolder},
    LoadCase{"CD, track 3", "1", "3", "", false, kFresh, 1, 3, "", kFolder},
    LoadCase{"mp3 that exists", "2", "0", "D:\\Music\\a b.mp3", true, kFresh, 2, 0, "D:\\Music\\a b.mp3",
             "D:\\Music"},
    LoadCase{"kind 2 with empty file", "2", "0", "", false, kFresh, 0, 0, "", kFolder},
    LoadCase{"kind 2 with vanished file", "2", "0", "D:\\gone.wav", false, kFresh, 0, 0, "", kFolder},
    LoadCase{"kind 1 keeps a vanished file's kind", "1", "0", "D:\\gone.wav", false, kFresh, 1, 0, "", kFolder},
    LoadCase{"file at a drive root", "2", "0", "D:\\a.wav", true, kFresh, 2, 0, "D:\\a.wav", "D:"},
    LoadCase{"file of kind 0 still gives its folder", "0", "0", "D:\\m\\a.wav", true, kFresh, 0, 0,
             "D:\\m\\a.wav", "D:\\m"},
    LoadCase{"abc at start-up", "abc", "abc", nullptr, false, kFresh, 0, 0, "", kFolder},
    LoadCase{"not a number leaves earlier values", "abc", "x1", nullptr, false, kEarlier, 1, 7, "", kFolder},
    LoadCase{"empty resets earlier values", "", "", nullptr, false, kEarlier, 0, 0, "", kFolder},
    LoadCase{"rounded down", "1.7", "-0.5", nullptr, false, kFresh, 1, -1, "", kFolder},
    LoadCase{"out of 16 bits leaves earlier values", "32768", "-32769", nullptr, false, kEarlier, 1, 7, "",
             kFolder},
    LoadCase{"16-bit limits", "32767.9", "-32768", nullptr, false, kFresh, 32767, -32768, "", kFolder},
    LoadCase{"other kinds used as read", "5", "31", nullptr, false, kFresh, 5, 31, "", kFolder},
    LoadCase{"blanks around a number", " 2 ", "\t4", "D:\\a.mp3", true, kFresh, 2, 4, "D:\\a.mp3", "D:"}));

struct NumberCase {
    const char* pszText;
    std::optional<std::int16_t> nValue;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.pszText << '"'; }

class SettingsNumberText : public testing::TestWithParam<NumberCase> {};

TEST_P(SettingsNumberText, IsAWholeNumberOrNot) {
    SCOPED_TRACE(GetParam().pszText);
    EXPECT_EQ(Nerlo_B::WholeNumberOf(GetParam().pszText), GetParam().nValue);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsNumberText, testing::Values(
    NumberCase{"0", 0}, NumberCase{"2", 2}, NumberCase{"+2", 2}, NumberCase{"1.", 1},
    NumberCase{".5", 0}, NumberCase{"-.5", -1}, NumberCase{"2e1", 20}, NumberCase{"1D2", 100},
    NumberCase{"&H10", 16}, NumberCase{"&HFFFF", -1}, NumberCase{"1e400", std::nullopt},
    NumberCase{"1 2", std::nullopt}, NumberCase{"2x", std::nullopt}, NumberCase{".", std::nullopt},
    NumberCase{"-", std::nullopt}, NumberCase{"e5", std::nullopt}, NumberCase{"1e", std::nullopt},
    NumberCase{"\x82\x4F", std::nullopt}));  // a full-width zero is not a number here

TEST(ReadIni, AsksWithAnEmptyDefaultAndA256ByteBuffer) {
    vtest::CFakeFrontEndPort port;
    port.aProfile[{"f.ini", "S", "K"}] = std::string(300, 'x');
    EXPECT_EQ(Nerlo_B::ReadIni(port, "S", "K", "f.ini"), std::string(255, 'x'));
    EXPECT_EQ(Nerlo_B::ReadIni(port, "S", "missing", "f.ini"), "");
}

TEST(WriteIni, SectionAndKeyTakeEffectUpTo127Characters) {
    vtest::CFakeFrontEndPort port;
    const std::string sLong(200, 's');
    // 127 characters of which the last ones are two-byte: the cut never splits one.
    const std::string sKey = std::string(126, 'k') + "\x8B\xE6\x95\xAA";
    EXPECT_EQ(Nerlo_B::WriteIni(port, sLong, sKey, "v", "f.ini"), 1);
    ASSERT_EQ(port.aProfile.size(), 1u);
    const auto& key = port.aProfile.begin()->first;
    EXPECT_EQ(std::get<1>(key), std::string(127, 's'));
    EXPECT_EQ(std::get<2>(key), std::string(126, 'k') + "\x8B\xE6");
}

TEST(StoreSettings, WritesTheThreeKeysAsCodePage932BytesInOrder) {
    vtest::CFakeFrontEndPort port;
    const BgmSettings settings{1, 3, "D:\\a.mp3", "D:"};
    std::int32_t nApiResult = 0;
    Nerlo_B::StoreSettings(port, kFolder, settings, 12, nApiResult);
    EXPECT_EQ(port.CallsOf("WritePrivateProfileStringA"),
              (std::vector<std::string>{
                  "WritePrivateProfileStringA Section " + kKeyKind + " 1 " + kIni,
                  "WritePrivateProfileStringA Section " + kKeyRepeat + " 12 " + kIni,
                  "WritePrivateProfileStringA Section " + kKeyFile + " D:\\a.mp3 " + kIni}));
    EXPECT_EQ(nApiResult, 1);
}

TEST(StoreSettings, WhatItWritesLoadsBack) {
    vtest::CFakeFrontEndPort port;
    port.aReadableFiles.insert("E:\\bgm\\x.WAV");
    std::int32_t nApiResult = 0;
    Nerlo_B::StoreSettings(port, kFolder, BgmSettings{2, 0, "E:\\bgm\\x.WAV", ""}, 5, nApiResult);
    BgmSettings loaded;
    Nerlo_B::LoadSettings(port, kFolder, loaded);
    EXPECT_EQ(loaded.BGM_Kind, 2);
    EXPECT_EQ(loaded.BGM_RepeatTrack, 5);
    EXPECT_EQ(loaded.BGM_File, "E:\\bgm\\x.WAV");
    EXPECT_EQ(loaded.BGM_Folder, "E:\\bgm");
}

// Storing into a program folder the user cannot write: the choice goes to the user's own file, and
// the next start reads it from there.
const std::string kFallback = "C:\\Users\\u\\AppData\\Roaming\\Vantorel\\Vantorel.ini";

struct StoreCase {
    const char* pszName;
    bool bFolderWritable;
    bool bFallbackPresent;  // left by an earlier store that the folder refused
    bool bAppDataNamed;
    const char* pszStoredIn;  // the file holding the new choice; nullptr: none could
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.pszName; }

class StoreWhereTheNextStartReads : public testing::TestWithParam<StoreCase> {};

TEST_P(StoreWhereTheNextStartReads, KeepsTheUsersChoice) {
    const StoreCase& c = GetParam();
    SCOPED_TRACE(c.pszName);
    vtest::CFakeFrontEndPort port;
    // An older choice beside the programs (as an administrator may have left it).
    port.aProfile[{kIni, "Section", kKeyKind}] = "0";
    port.aReadableFiles.insert(kIni);
    if (!c.bFolderWritable) port.aUnwritableFolders.insert(kFolder);
    if (c.bFallbackPresent) {
        port.aProfile[{kFallback, "Section", kKeyKind}] = "0";
        port.aReadableFiles.insert(kFallback);
    }
    if (!c.bAppDataNamed) port.sAppDataFolder.clear();
    port.aReadableFiles.insert("E:\\a.mp3");

    std::int32_t nApiResult = -1;
    Nerlo_B::StoreSettings(port, kFolder, BgmSettings{2, 0, "E:\\a.mp3", "E:"}, 4, nApiResult);
    const auto ValueIn = [&](const std::string& sFile, const std::string& sKey) {
        const auto it = port.aProfile.find(std::make_tuple(sFile, std::string("Section"), sKey));
        return it == port.aProfile.end() ? std::string("(none)") : it->second;
    };
    if (c.pszStoredIn != nullptr) {
        EXPECT_NE(nApiResult, 0);
        EXPECT_EQ(ValueIn(c.pszStoredIn, kKeyKind), "2");
        EXPECT_EQ(ValueIn(c.pszStoredIn, kKeyRepeat), "4");
        EXPECT_EQ(ValueIn(c.pszStoredIn, kKeyFile), "E:\\a.mp3");
        const std::string sOther = c.pszStoredIn == kIni ? kFallback : kIni;
        EXPECT_EQ(ValueIn(sOther, kKeyRepeat), "(none)") << "written into both files";
    } else {
        EXPECT_EQ(nApiResult, 0);
    }
    // The fallback folder is made only when the fallback is about to be written for the first time.
    const bool bMadeFolder = !port.CallsOf("CreateDirectoryA C:\\Users\\u\\AppData\\Roaming\\Vantorel").empty();
    EXPECT_EQ(bMadeFolder, !c.bFolderWritable && !c.bFallbackPresent && c.bAppDataNamed);

    BgmSettings loaded;
    Nerlo_B::LoadSettings(port, kFolder, loaded);
    EXPECT_EQ(loaded.BGM_Kind, c.pszStoredIn ? 2 : 0);
    EXPECT_EQ(loaded.BGM_RepeatTrack, c.pszStoredIn ? 4 : 0);
    EXPECT_EQ(loaded.BGM_Folder, c.pszStoredIn ? "E:" : kFolder);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoreWhereTheNextStartReads, testing::Values(
    StoreCase{"writable folder: beside the programs, as always", true, false, true, kIni.c_str()},
    StoreCase{"read-only folder: the user's own file", false, false, true, kFallback.c_str()},
    StoreCase{"read-only folder, the user's file already there", false, true, true, kFallback.c_str()},
    StoreCase{"the user's file stays in use once made", true, true, true, kFallback.c_str()},
    StoreCase{"read-only folder and no application data folder", false, false, false, nullptr}));

struct PathCase {
    const char* pszPath;
    const char* pszResult;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.pszPath; }

class FolderOfPaths : public testing::TestWithParam<PathCase> {};

TEST_P(FolderOfPaths, GivesTheFolderPart) {
    SCOPED_TRACE(GetParam().pszPath);
    EXPECT_EQ(Nerlo_B::FolderOf(GetParam().pszPath), GetParam().pszResult);
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderOfPaths, testing::Values(
    PathCase{"C:\\Music\\a.mp3", "C:\\Music"},
    PathCase{"C:\\a.mp3", "C:"},
    PathCase{"C:a.mp3", "C:"},
    PathCase{"a.mp3", ""},
    PathCase{"", ""},
    PathCase{"C:\\Music\\", "C:\\Music"},
    PathCase{"\\\\server\\share\\a.wav", "\\\\server\\share"},
    // 表 is 95 5C: its second byte is no folder separator.
    PathCase{"C:\\\x95\x5C\\a.wav", "C:\\\x95\x5C"},
    PathCase{"C:\\\x95\x5C.wav", "C:"}));

TEST(FileExists, DropsOneTrailingBackslashAndAsksTheSystem) {
    vtest::CFakeFrontEndPort port;
    port.aReadableFiles.insert("C:\\a.wav");
    EXPECT_TRUE(Nerlo_B::FileExists(port, "C:\\a.wav"));
    EXPECT_TRUE(Nerlo_B::FileExists(port, "C:\\a.wav\\"));
    EXPECT_FALSE(Nerlo_B::FileExists(port, "C:\\a.wav\\\\"));
    EXPECT_FALSE(Nerlo_B::FileExists(port, "C:\\b.wav"));
    EXPECT_FALSE(Nerlo_B::FileExists(port, ""));
    // The trail byte 5C of 表 is part of the name, not a backslash to drop.
    Nerlo_B::FileExists(port, "C:\\\x95\x5C");
    EXPECT_EQ(port.aLog.back(), "OpenForInput C:\\\x95\x5C");
}

TEST(ProgramFiles, AreNamedBesideTheProgramFolder) {
    EXPECT_EQ(Nerlo_B::ProgramFolderOf("C:\\Saver\\Vantorel.scr"), "C:\\Saver");
    EXPECT_EQ(Nerlo_B::ProgramFolderOf("C:\\Vantorel.scr"), "C:\\");
    EXPECT_EQ(Nerlo_B::FileBeside("C:\\Saver", "Vantorel.dll"), "C:\\Saver\\Vantorel.dll");
    EXPECT_EQ(Nerlo_B::FileBeside("C:\\", "Vantorel.dll"), "C:\\Vantorel.dll");
    EXPECT_EQ(Nerlo_B::FileBeside("C:\\\x95\x5C", "Vantorel.dll"), "C:\\\x95\x5C\\Vantorel.dll");
}

}  // namespace
