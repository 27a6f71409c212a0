// The music player for real under Wine, with PulseAudio's null sink as the sound card: a WAV loops
// until stopped, an MP3 plays and starts again after its end, a CD watch ends on a machine without
// a drive, and a show run of Vantorel.scr plays the chosen file while the renderer's window lives.
// What reaches the sound card is heard by recording the null sink's monitor, the default input.
//
// Copied into a program folder as Vantorel.dll, this test program plays a renderer that shows its
// window for the milliseconds written in stand_in.txt beside it.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "frontend/music/bgm_player.h"
#include "frontend/music/win32/music_player_win32.h"
#include "frontend/music/win32/music_port_win32.h"
#include "music_tone_mp3.h"
#include "support/sound_check.h"
#include "support/stand_in_renderer.h"
#include "support/win32_test_support.h"

namespace {

// ---- the stand-in renderer -------------------------------------------------------------------

const bool g_bIsStandIn = vtest::RunAsStandInRendererIfNamedSo();


// ---- sound files and the ear -----------------------------------------------------------------

void WriteBytes(const std::wstring& sPath, const void* pData, std::size_t nSize) {
    FILE* pFile = _wfopen(sPath.c_str(), L"wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(pData, 1, nSize, pFile);
    fclose(pFile);
}

// A 440 Hz sine at half scale, 16-bit mono PCM.
void WriteToneWav(const std::wstring& sPath, int nMs) {
    const std::string a = vtest::ToneWavBytes(nMs);
    WriteBytes(sPath, a.data(), a.size());
}

// ---- MCI seen from the test ------------------------------------------------------------------

std::string MciAnswer(const char* pszCommand, MCIERROR* pnCode = nullptr) {
    char szAnswer[128] = {};
    const MCIERROR nCode = mciSendStringA(pszCommand, szAnswer, sizeof szAnswer, nullptr);
    if (pnCode) *pnCode = nCode;
    return nCode == 0 ? szAnswer : "error " + std::to_string(nCode);
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

class MusicUnderWine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "the Wine environment has no sound device";
        sFolder = vtest::MakeProgramFolder(L"music player", {});
    }
    Nerlo_BGM::CMusicPortWin32 port;
    Nerlo_BGM::CBgmPlayer player{port};
    std::wstring sFolder;
};

using vtest::HearsSilence;
using vtest::HearsSound;
using vtest::kSoundRms;
using vtest::RecordRms;

TEST_F(MusicUnderWine, AWavLoopsUntilStopped) {
    const std::wstring sWav = sFolder + L"\\short tone.wav";
    WriteToneWav(sWav, 400);
    ASSERT_TRUE(HearsSilence(vtest::kPromptMs)) << "the sound card is not quiet before the test";
    player.WAV_Play(Narrow(sWav));
    Sleep(1000);  // past its end twice
    // A whole take at the level: the loop leaves no gap of a quarter second.
    const auto nPlaying = RecordRms(800);
    EXPECT_TRUE(nPlaying && *nPlaying > kSoundRms) << "level " << nPlaying.value_or(-1) << " while it loops";
    player.WAV_Stop();
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs)) << "still heard after WAV_Stop";
}

TEST_F(MusicUnderWine, AnMp3PlaysAndStartsAgainAfterItsEnd) {
    // A path with blanks: the open command quotes it.
    const std::wstring sMp3 = sFolder + L"\\tone one.mp3";
    WriteBytes(sMp3, kToneMp3, sizeof kToneMp3);
    player.MP3_Play(Narrow(sMp3));
    EXPECT_EQ(MciAnswer("status MP3Play mode"), "playing");
    EXPECT_TRUE(player.MP3_IsPlaying());
    EXPECT_TRUE(HearsSound(vtest::kPromptMs));

    ASSERT_TRUE(vtest::WaitUntil([] { return MciAnswer("status MP3Play mode") == "stopped"; }, 8000))
        << "the 3 s tone did not end; mode " << MciAnswer("status MP3Play mode");
    EXPECT_FALSE(player.MP3_IsPlaying());
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs)) << "still heard after its end";

    player.MP3_Watch();
    EXPECT_EQ(MciAnswer("status MP3Play mode"), "playing");
    EXPECT_LT(std::atoi(MciAnswer("status MP3Play position").c_str()), 1000) << "not restarted from its start";
    EXPECT_TRUE(HearsSound(vtest::kPromptMs)) << "not heard after the restart";

    player.MP3_Stop();
    MCIERROR nCode = 0;
    MciAnswer("status MP3Play mode", &nCode);
    EXPECT_NE(nCode, 0u) << "MP3_Stop left the device open";
}

TEST_F(MusicUnderWine, AMissingMp3PlaysNothingAndItsWatchFailsSilently) {
    player.MP3_Play(Narrow(sFolder + L"\\gone.mp3"));
    MCIERROR nCode = 0;
    MciAnswer("status MP3Play mode", &nCode);
    EXPECT_NE(nCode, 0u);
    EXPECT_FALSE(player.MP3_IsPlaying());
    player.MP3_Watch();
    player.MP3_Stop();
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs));
}

TEST_F(MusicUnderWine, WithoutACdDriveTheFirstCdWatchEndsIt) {
    for (const std::int16_t nRepeat : {0, 3}) {
        SCOPED_TRACE(nRepeat);
        player.CD_Open();
        player.CD_Watch(nRepeat);
        EXPECT_FALSE(player.CD_Continue()) << "MCI_Message: " << player.MCI_Message();
        player.CD_Stop();
    }
}

TEST_F(MusicUnderWine, McISendKeepsTheSystemsErrorText) {
    const std::int32_t nCode = player.MCI_Send("status NoSuchDevice mode");
    ASSERT_NE(nCode, 0);
    char szText[256] = {};
    ASSERT_TRUE(mciGetErrorStringA(static_cast<MCIERROR>(nCode), szText, sizeof szText));
    EXPECT_EQ(player.MCI_Message(), szText);
    EXPECT_EQ(player.MCI_Query("status NoSuchDevice mode"), "Error:" + std::to_string(nCode));
}

TEST_F(MusicUnderWine, TheShowFormsPlayerIsTheWinmmOne) {
    const std::wstring sWav = sFolder + L"\\tone.wav";
    WriteToneWav(sWav, 2000);
    const auto pPlayer = Nerlo_BGM::MakeMusicPlayer();
    pPlayer->WAV_Play(Narrow(sWav));
    EXPECT_TRUE(HearsSound(vtest::kPromptMs));
    pPlayer->WAV_Stop();
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs));
}

// ---- a show run of Vantorel.scr ---------------------------------------------------------------

struct RunCase {
    const char* pszName;
    const wchar_t* pszFile;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.pszName; }

class MusicOfAShowRun : public MusicUnderWine, public testing::WithParamInterface<RunCase> {};

// A program folder with a stand-in renderer that keeps its window nRendererMs, a one-second tone under
// the name pszFile (an MP3 when it ends in 3, else a WAV) and the settings that choose it.
std::wstring MakeMusicRunFolder(const wchar_t* pszFolder, int nRendererMs, const wchar_t* pszFile) {
    const std::wstring sRunFolder = vtest::MakeStandInFolder(pszFolder, 0, nRendererMs);
    const std::wstring sMusic = sRunFolder + L"\\" + pszFile;
    if (sMusic.back() == L'3') {
        WriteBytes(sMusic, kToneMp3, sizeof kToneMp3);
    } else {
        WriteToneWav(sMusic, 1000);
    }
    // The keys BGM区分 and BGMﾌｧｲﾙ in code page 932, as the settings file holds them.
    const std::string sIni = "[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xcc\xa7\xb2\xd9=" + Narrow(sMusic) + "\r\n";
    WriteBytes(sRunFolder + L"\\Vantorel.ini", sIni.data(), sIni.size());
    return sRunFolder;
}

TEST_P(MusicOfAShowRun, PlaysWhileTheRendererRunsAndStopsWithIt) {
    const std::wstring sRunFolder = MakeMusicRunFolder(L"music_run", 4000, GetParam().pszFile);
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sRunFolder + L"\\Vantorel.scr", L"/s", sRunFolder));
    ASSERT_TRUE(vtest::WaitUntil([] { return vtest::FindTopLevel("Nerlo_VC") != nullptr; }, 10000));
    EXPECT_TRUE(HearsSound(vtest::kPromptMs)) << "nothing heard during the run";
    ASSERT_TRUE(saver.WaitForExit(8000)) << "the run did not end with the renderer";
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs)) << "still heard after the run";
}

INSTANTIATE_TEST_SUITE_P(Files, MusicOfAShowRun, testing::Values(RunCase{"Mp3", L"tone.MP3"},
                                                                 RunCase{"Wav", L"tone.wav"}),
                         [](const testing::TestParamInfo<RunCase>& info) { return info.param.pszName; });

// The system closing the hidden show form (a log-off, a task manager) ends the run as the renderer's
// end does: the music stops and the front-end ends; the renderer, which it never closes, runs on.
TEST_F(MusicUnderWine, ShowFormClosedByTheSystemEndsTheRunAndTheMusicNotTheRenderer) {
    const std::wstring sRunFolder = MakeMusicRunFolder(L"music_closed", 20000, L"tone.wav");

    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sRunFolder + L"\\Vantorel.scr", L"/s", sRunFolder));
    ASSERT_TRUE(vtest::WaitUntil([] { return vtest::FindTopLevel("Nerlo_VC") != nullptr; }, 10000));
    HWND hRenderer = vtest::FindTopLevel("Nerlo_VC");
    const DWORD nRendererId = vtest::WindowProcessId(hRenderer);
    HWND hShowForm = vtest::FindTopLevel("Nerlo_Main");
    ASSERT_NE(hShowForm, nullptr);
    EXPECT_TRUE(HearsSound(vtest::kPromptMs)) << "nothing heard during the run";

    PostMessageW(hShowForm, WM_CLOSE, 0, 0);
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs)) << "the run went on after its form was closed";
    EXPECT_TRUE(HearsSilence(vtest::kPromptMs)) << "the music outlived the run";
    EXPECT_EQ(vtest::FindTopLevel("Nerlo_VC"), hRenderer) << "the renderer went with the run";

    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, nRendererId);
    ASSERT_NE(hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the renderer has ended";
    TerminateProcess(hProcess, 0);
    WaitForSingleObject(hProcess, 5000);
    CloseHandle(hProcess);
}

}  // namespace
