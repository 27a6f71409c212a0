// Audio CD playback over a recording port: the open and stop sequences, and what one CD watch tick
// sends and decides for every state of the drive, with and without a repeat track.
#include <gtest/gtest.h>

#include "fake_frontend_port.h"
#include "frontend/music/bgm_player.h"
#include "frontend/show_run.h"
#include "music_fake_port.h"

namespace {

using Nerlo_BGM::CBgmPlayer;

constexpr char kCurrent[] = "status cdaudio current track";
constexpr char kCount[] = "status cdaudio number of tracks";
constexpr char kMode[] = "status cdaudio mode";

TEST(CdOpenAndStop, SendTheirTwoCommandsInOrderWithoutAnswerBuffers) {
    vtest::CFakeMusicPort port;
    port.Fail("open cdaudio", 266);  // no drive: the next command goes out all the same
    CBgmPlayer player(port);
    player.CD_Open();
    player.CD_Stop();
    EXPECT_EQ(port.aLog, (std::vector<std::string>{"open cdaudio", "set cdaudio time format tmsf", "stop cdaudio",
                                                   "close cdaudio"}));
}

// The drive's answers to one tick's queries; a code other than 0 fails the query.
struct Drive {
    vtest::MciAnswer current{0, "1"};
    vtest::MciAnswer count{0, "12"};
    vtest::MciAnswer mode{0, "playing"};
    std::map<std::string, vtest::MciAnswer> aOther;
};

struct WatchCase {
    const char* pszName;
    std::int16_t nRepeatTrack;
    Drive drive;
    // Commands after the two track queries and the mode query.
    std::vector<std::string> aExpectedAfterQueries;
    bool bExpectedContinue;
};

void PrintTo(const WatchCase& c, std::ostream* os) { *os << c.pszName; }

std::vector<std::string> QueriesThen(const std::vector<std::string>& aMore) {
    std::vector<std::string> a = {std::string(kCurrent) + " [answer]", std::string(kCount) + " [answer]",
                                  std::string(kMode) + " [answer]"};
    a.insert(a.end(), aMore.begin(), aMore.end());
    return a;
}

std::vector<std::string> SentCommands(const std::vector<std::string>& aLog) {
    std::vector<std::string> a;
    for (const auto& s : aLog) {
        if (s.rfind("mciGetErrorStringA", 0) != 0) a.push_back(s);
    }
    return a;
}

class CdWatchTick : public testing::TestWithParam<WatchCase> {};

TEST_P(CdWatchTick, SendsAndDecides) {
    const WatchCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.aAnswers[kCurrent] = c.drive.current;
    port.aAnswers[kCount] = c.drive.count;
    port.aAnswers[kMode] = c.drive.mode;
    for (const auto& [sCommand, answer] : c.drive.aOther) port.aAnswers[sCommand] = answer;
    port.aErrorTexts[266] = "Cannot find the device.";
    CBgmPlayer player(port);

    player.CD_Watch(c.nRepeatTrack);
    EXPECT_EQ(SentCommands(port.aLog), QueriesThen(c.aExpectedAfterQueries));
    EXPECT_EQ(player.CD_Continue(), c.bExpectedContinue);
}

const std::string kPlayFrom3 = "play cdaudio from 03:00:00:00 [answer]";
const std::map<std::string, vtest::MciAnswer> kTrack3At = {{"status cdaudio position track 3", {0, "03:00:00:00"}}};

INSTANTIATE_TEST_SUITE_P(WholeDisc, CdWatchTick, testing::Values(
    WatchCase{"playing: only the status queries", 0, {{0, "4"}, {0, "12"}, {0, "playing"}, {}}, {}, true},
    WatchCase{"stopped: plays", 0, {{0, "4"}, {0, "12"}, {0, "stopped"}, {}}, {"play cdaudio [answer]"}, true},
    WatchCase{"only seven characters count", 0, {{0, "1"}, {0, "1"}, {0, "stoppedx"}, {}},
              {"play cdaudio [answer]"}, true},
    WatchCase{"stop is not stopped", 0, {{0, "1"}, {0, "1"}, {0, "stop"}, {}}, {}, true},
    WatchCase{"not ready", 0, {{0, "1"}, {0, "1"}, {0, "not ready"}, {}}, {}, true},
    WatchCase{"mode query fails", 0, {{0, "1"}, {0, "1"}, {263, ""}, {}}, {}, true},
    WatchCase{"no number needed", 0, {{0, ""}, {0, "1"}, {0, "stopped"}, {}}, {"play cdaudio [answer]"}, true}));

INSTANTIATE_TEST_SUITE_P(RepeatTrack, CdWatchTick, testing::Values(
    WatchCase{"disc on track 4, repeat 3", 3, {{0, "4"}, {0, "12"}, {0, "playing"}, kTrack3At},
              {"status cdaudio position track 3 [answer]", kPlayFrom3}, true},
    WatchCase{"on the repeat track", 3, {{0, "3"}, {0, "12"}, {0, "playing"}, kTrack3At}, {}, true},
    WatchCase{"on the repeat track, with blanks", 3, {{0, " 03 "}, {0, "12"}, {0, "playing"}, kTrack3At}, {}, true},
    WatchCase{"on the repeat track but stopped", 3, {{0, "3"}, {0, "12"}, {0, "stopped"}, kTrack3At},
              {"status cdaudio position track 3 [answer]", kPlayFrom3}, true},
    // The failure text becomes the position; the play fails, and the watch goes on.
    WatchCase{"repeat track not on the disc", 20, {{0, "4"}, {0, "12"}, {0, "playing"},
              {{"status cdaudio position track 20", {289, ""}}, {"play cdaudio from Error:289", {277, ""}}}},
              {"status cdaudio position track 20 [answer]", "play cdaudio from Error:289 [answer]"}, true},
    WatchCase{"two-digit track", 12, {{0, "1"}, {0, "12"}, {0, "playing"},
              {{"status cdaudio position track 12", {0, "12:00:00:00"}}}},
              {"status cdaudio position track 12 [answer]", "play cdaudio from 12:00:00:00 [answer]"}, true},
    // A current track that is no number cannot be compared with the repeat track.
    WatchCase{"current track not a number", 3, {{0, ""}, {0, "12"}, {0, "stopped"}, kTrack3At}, {}, false}));

// No drive, no disc, a device that is not open: the first query fails and the watch ends there.
struct EndCase {
    const char* pszName;
    Drive drive;
    std::vector<std::string> aExpected;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.pszName; }

class CdWatchEnds : public testing::TestWithParam<EndCase> {};

TEST_P(CdWatchEnds, AtTheFirstErrorAnswer) {
    const EndCase& c = GetParam();
    for (const std::int16_t nRepeat : {0, 3}) {
        SCOPED_TRACE(nRepeat);
        vtest::CFakeMusicPort port;
        port.aAnswers[kCurrent] = c.drive.current;
        port.aAnswers[kCount] = c.drive.count;
        port.aAnswers[kMode] = c.drive.mode;
        CBgmPlayer player(port);
        player.CD_Watch(nRepeat);
        EXPECT_EQ(SentCommands(port.aLog), c.aExpected);
        EXPECT_FALSE(player.CD_Continue());
    }
}

const std::vector<std::string> kFirstQuery = {std::string(kCurrent) + " [answer]"};
const std::vector<std::string> kTwoQueries = {std::string(kCurrent) + " [answer]", std::string(kCount) + " [answer]"};

INSTANTIATE_TEST_SUITE_P(Failures, CdWatchEnds, testing::Values(
    EndCase{"no drive", {{266, ""}, {0, "12"}, {0, "stopped"}, {}}, kFirstQuery},
    EndCase{"device not open", {{263, ""}, {0, "12"}, {0, "stopped"}, {}}, kFirstQuery},
    EndCase{"track count fails", {{0, "1"}, {263, ""}, {0, "stopped"}, {}}, kTwoQueries},
    EndCase{"an answer that reads error", {{0, "error"}, {0, "12"}, {0, "stopped"}, {}}, kFirstQuery}));

TEST(CdWatchTicks, JumpBackToTheRepeatTrackWheneverPlaybackLeavesIt) {
    vtest::CFakeMusicPort port;
    port.aAnswers = {{kCount, {0, "12"}}, {"status cdaudio position track 3", {0, "03:00:00:00"}}};
    CBgmPlayer player(port);
    auto Tick = [&](const char* pszTrack, const char* pszMode) {
        port.aLog.clear();
        port.Answer(kCurrent, pszTrack);
        port.Answer(kMode, pszMode);
        player.CD_Watch(3);
        EXPECT_TRUE(player.CD_Continue());
        return port.aLog.size() == 5 && port.aLog.back() == kPlayFrom3;
    };
    EXPECT_TRUE(Tick("1", "stopped")) << "a stopped disc starts on the repeat track";
    EXPECT_FALSE(Tick("3", "playing"));
    EXPECT_FALSE(Tick("3", "playing"));
    EXPECT_TRUE(Tick("4", "playing")) << "run on into the next track";
    EXPECT_FALSE(Tick("3", "playing"));
    EXPECT_TRUE(Tick("12", "stopped")) << "the disc came to its end";
}

TEST(CdWatchBuffers, ModeIsReadInto255Characters) {
    vtest::CFakeMusicPort port;
    CBgmPlayer player(port);
    player.CD_Watch(0);
    EXPECT_EQ(port.aAnswerSizes, (std::vector<std::uint32_t>{512, 512, 255}));
}

// The show form with the real player: kind 1 on a machine without a drive.
TEST(CdWithTheShowForm, NoDriveEndsTheWatchAndUnloadSendsNoStop) {
    vtest::CFakeFrontEndPort frontEnd;
    vtest::CFakeMusicPort port;
    port.Fail("open cdaudio", 266);
    port.Fail("set cdaudio time format tmsf", 263);
    port.Fail(kCurrent, 263);
    CBgmPlayer player(port);
    Nerlo_B::FrontEndState state;
    state.commandLine = Nerlo_B::ParseCommandLine(u"/s");
    state.settings.BGM_Kind = 1;
    Nerlo_B::Nerlo_S form(frontEnd, player, state);

    form.Form_Load();
    EXPECT_TRUE(form.IsTimerOn(Nerlo_B::ShowTimer::Timer2));
    form.Timer2_Timer();
    EXPECT_FALSE(form.IsTimerOn(Nerlo_B::ShowTimer::Timer2));
    form.Form_QueryUnload();
    EXPECT_EQ(SentCommands(port.aLog), (std::vector<std::string>{"open cdaudio", "set cdaudio time format tmsf",
                                                                 std::string(kCurrent) + " [answer]"}));
}

}  // namespace
