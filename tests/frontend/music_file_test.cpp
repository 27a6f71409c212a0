// MP3 and WAV playback over a recording port: the open and play sequence, the restart of an ended
// MP3, the looping WAV and the machine without wave-out devices.
#include <gtest/gtest.h>

#include "frontend/music/bgm_player.h"
#include "music_fake_port.h"

namespace {

using Nerlo_BGM::CBgmPlayer;
using Log = std::vector<std::string>;

struct Mp3PlayCase {
    const char* pszName;
    std::string sFile;
    std::uint32_t nOpenCode;
    Log aExpected;
};

void PrintTo(const Mp3PlayCase& c, std::ostream* os) { *os << c.pszName; }

class Mp3Play : public testing::TestWithParam<Mp3PlayCase> {};

TEST_P(Mp3Play, OpensTheQuotedPathAndPlaysOnlyAfterASuccessfulOpen) {
    const Mp3PlayCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.Fail("open \"" + c.sFile + "\" type MPEGVideo Alias MP3Play", c.nOpenCode);
    CBgmPlayer player(port);
    player.MP3_Play(c.sFile);
    EXPECT_EQ(port.aLog, c.aExpected);
}

INSTANTIATE_TEST_SUITE_P(Files, Mp3Play, testing::Values(
    Mp3PlayCase{"plain path", "D:\\music\\a.mp3", 0,
                {"open \"D:\\music\\a.mp3\" type MPEGVideo Alias MP3Play", "play MP3Play"}},
    Mp3PlayCase{"path with spaces", "C:\\My Music\\long name.MP3", 0,
                {"open \"C:\\My Music\\long name.MP3\" type MPEGVideo Alias MP3Play", "play MP3Play"}},
    // System code page bytes go through untouched: a folder named in CP932 ("音楽").
    Mp3PlayCase{"CP932 path", "C:\\\x89\xb9\x8a\x79\\a.mp3", 0,
                {"open \"C:\\\x89\xb9\x8a\x79\\a.mp3\" type MPEGVideo Alias MP3Play", "play MP3Play"}},
    Mp3PlayCase{"file missing", "D:\\gone.mp3", 275, {"open \"D:\\gone.mp3\" type MPEGVideo Alias MP3Play"}},
    Mp3PlayCase{"no MP3 player", "D:\\a.mp3", 277, {"open \"D:\\a.mp3\" type MPEGVideo Alias MP3Play"}}));

struct Mp3ModeCase {
    const char* pszName;
    vtest::MciAnswer mode;
    bool bExpectedPlaying;
};

void PrintTo(const Mp3ModeCase& c, std::ostream* os) { *os << c.pszName; }

class Mp3Watch : public testing::TestWithParam<Mp3ModeCase> {};

TEST_P(Mp3Watch, RestartsFromTheStartWhenNotPlaying) {
    const Mp3ModeCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.aAnswers["status MP3Play mode"] = c.mode;
    CBgmPlayer player(port);
    EXPECT_EQ(player.MP3_IsPlaying(), c.bExpectedPlaying);
    port.aLog.clear();
    player.MP3_Watch();
    const Log aRestart = {"status MP3Play mode [answer]", "stop MP3Play", "play MP3Play from 0"};
    EXPECT_EQ(port.aLog, c.bExpectedPlaying ? Log{"status MP3Play mode [answer]"} : aRestart);
    EXPECT_EQ(port.aAnswerSizes.front(), 30u);
}

INSTANTIATE_TEST_SUITE_P(Modes, Mp3Watch, testing::Values(
    Mp3ModeCase{"playing", {0, "playing"}, true},
    Mp3ModeCase{"only seven characters count", {0, "playingx"}, true},
    Mp3ModeCase{"stopped at its end", {0, "stopped"}, false},
    Mp3ModeCase{"paused", {0, "paused"}, false},
    Mp3ModeCase{"cut short", {0, "play"}, false},
    Mp3ModeCase{"upper case", {0, "PLAYING"}, false},
    Mp3ModeCase{"never opened", {263, ""}, false}));

TEST(Mp3Stop, StopsThenCloses) {
    vtest::CFakeMusicPort port;
    CBgmPlayer player(port);
    player.MP3_Stop();
    EXPECT_EQ(port.aLog, (Log{"stop MP3Play", "close MP3Play"}));
}

TEST(Mp3Watch, AnAnswerLongerThanTheBufferIsCutTo29Characters) {
    vtest::CFakeMusicPort port;
    port.Answer("status MP3Play mode", "playing" + std::string(40, ' '));
    CBgmPlayer player(port);
    EXPECT_TRUE(player.MP3_IsPlaying());
    EXPECT_EQ(port.aAnswerSizes, (std::vector<std::uint32_t>{30}));
}

struct WavCase {
    const char* pszName;
    std::uint32_t nDevices;
    Log aExpected;
};

void PrintTo(const WavCase& c, std::ostream* os) { *os << c.pszName; }

class WavPlay : public testing::TestWithParam<WavCase> {};

TEST_P(WavPlay, LoopsInTheBackgroundOnlyWithAWaveOutDevice) {
    const WavCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.nWaveOutDevices = c.nDevices;
    CBgmPlayer player(port);
    player.WAV_Play("C:\\My Music\\a.wav");
    EXPECT_EQ(port.aLog, c.aExpected);
}

INSTANTIATE_TEST_SUITE_P(Devices, WavPlay, testing::Values(
    WavCase{"two devices", 2, {"waveOutGetNumDevs", "PlaySoundA C:\\My Music\\a.wav 0 9"}},
    WavCase{"one device", 1, {"waveOutGetNumDevs", "PlaySoundA C:\\My Music\\a.wav 0 9"}},
    WavCase{"no device", 0, {"waveOutGetNumDevs"}},
    WavCase{"count read as negative", 0xFFFFFFFFu, {"waveOutGetNumDevs"}}));

TEST(WavStop, StopsWhatPlaysWithoutASoundName) {
    vtest::CFakeMusicPort port;
    port.nWaveOutDevices = 0;  // the stop makes no device test
    CBgmPlayer player(port);
    player.WAV_Stop();
    EXPECT_EQ(port.aLog, (Log{"PlaySoundA (null) 0 0"}));
}

}  // namespace
