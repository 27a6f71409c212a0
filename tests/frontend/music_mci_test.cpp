// The music module's MCI command functions over a recording port: what MCI_Send leaves in
// MCI_Message, what MCI_Query answers, how MCI_Play builds its command, and how answers are read.
#include <gtest/gtest.h>

#include "frontend/music/bgm_player.h"
#include "frontend/music/mci_answer_text.h"
#include "music_fake_port.h"

namespace {

using Nerlo_BGM::CBgmPlayer;

// CP932 bytes of the module's two Japanese texts.
const std::string kNoCommandCp932 =
    "\x83\x52\x83\x7d\x83\x93\x83\x68\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\x77\x92\xe8\x82\xb3\x82\xea\x82\xc4"
    "\x82\xa2\x82\xdc\x82\xb9\x82\xf1";
const std::string kNoErrorTextCp932 = "Error (\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\xe6\x82\xea\x82\xdc\x82\xb9\x82\xf1)";

struct SendCase {
    const char* pszName;
    std::string sCommand;
    vtest::MciAnswer answer;
    bool bHasErrorText;
    std::int32_t nExpectedCode;
    std::string sExpectedMessage;
    std::vector<std::string> aExpectedLog;
};

void PrintTo(const SendCase& c, std::ostream* os) { *os << c.pszName; }

class McISend : public testing::TestWithParam<SendCase> {};

TEST_P(McISend, ReturnsTheCodeAndLeavesTheTextInMciMessage) {
    const SendCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.aAnswers[c.sCommand] = c.answer;
    if (c.bHasErrorText) port.aErrorTexts[c.answer.nCode] = "The device is not open.";
    CBgmPlayer player(port);

    EXPECT_EQ(player.MCI_Send(c.sCommand), c.nExpectedCode);
    EXPECT_EQ(player.MCI_Message(), c.sExpectedMessage);
    EXPECT_EQ(port.aLog, c.aExpectedLog);
}

INSTANTIATE_TEST_SUITE_P(Answers, McISend, testing::Values(
    SendCase{"answer", "status cdaudio current track", {0, "4"}, false, 0, "4",
             {"status cdaudio current track [answer]"}},
    SendCase{"error with a text", "status cdaudio mode", {263, ""}, true, 263, "The device is not open.",
             {"status cdaudio mode [answer]", "mciGetErrorStringA 263"}},
    SendCase{"error without a text", "status cdaudio mode", {263, ""}, false, 263, kNoErrorTextCp932,
             {"status cdaudio mode [answer]", "mciGetErrorStringA 263"}},
    SendCase{"empty command", "", {0, "x"}, false, -1, kNoCommandCp932, {}}));

TEST(McISendBuffers, AnswerIn512AndErrorTextIn256Characters) {
    vtest::CFakeMusicPort port;
    port.Answer("status cdaudio length", std::string(600, '7'));
    port.Fail("status cdaudio mode", 266);
    port.aErrorTexts[266] = std::string(300, 'e');
    CBgmPlayer player(port);

    player.MCI_Send("status cdaudio length");
    EXPECT_EQ(player.MCI_Message(), std::string(511, '7'));
    player.MCI_Send("status cdaudio mode");
    EXPECT_EQ(player.MCI_Message(), std::string(255, 'e'));
    EXPECT_EQ(port.aAnswerSizes, (std::vector<std::uint32_t>{512, 512}));
    EXPECT_EQ(port.aErrorTextSizes, (std::vector<std::uint32_t>{256}));
}

struct QueryCase {
    const char* pszName;
    std::string sCommand;
    vtest::MciAnswer answer;
    std::string sExpected;
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.pszName; }

class McIQuery : public testing::TestWithParam<QueryCase> {};

TEST_P(McIQuery, AnswersTheTextOrErrorAndTheCode) {
    const QueryCase& c = GetParam();
    vtest::CFakeMusicPort port;
    port.aAnswers[c.sCommand] = c.answer;
    port.aErrorTexts[c.answer.nCode] = "some error text";
    CBgmPlayer player(port);
    EXPECT_EQ(player.MCI_Query(c.sCommand), c.sExpected);
}

INSTANTIATE_TEST_SUITE_P(Answers, McIQuery, testing::Values(
    QueryCase{"answer", "status cdaudio number of tracks", {0, "12"}, "12"},
    QueryCase{"empty answer", "status cdaudio number of tracks", {0, ""}, ""},
    QueryCase{"no drive", "status cdaudio current track", {266, ""}, "Error:266"},
    QueryCase{"empty command", "", {0, ""}, "Error:-1"},
    // A code with the top bit set reads as a negative 32-bit number.
    QueryCase{"negative code", "status cdaudio mode", {0x80000101u, ""}, "Error:-2147483391"}));

struct PlayCase {
    std::string sFrom, sTo, sExpected;
};

class McIPlay : public testing::TestWithParam<PlayCase> {};

TEST_P(McIPlay, LeavesOutEmptyPositions) {
    vtest::CFakeMusicPort port;
    port.Fail(GetParam().sExpected, 277);
    CBgmPlayer player(port);
    EXPECT_EQ(player.MCI_Play("cdaudio", GetParam().sFrom, GetParam().sTo), 277);
    EXPECT_EQ(port.aLog.front(), GetParam().sExpected + " [answer]");
}

INSTANTIATE_TEST_SUITE_P(Forms, McIPlay, testing::Values(
    PlayCase{"", "", "play cdaudio"},
    PlayCase{"03:00:00:00", "", "play cdaudio from 03:00:00:00"},
    PlayCase{"", "04", "play cdaudio to 04"},
    PlayCase{"3", "4", "play cdaudio from 3 to 4"}));

// ---- reading answers ---------------------------------------------------------------------------

struct ErrCase {
    std::string sText;
    bool bExpected;
};

class AnswerContainsErr : public testing::TestWithParam<ErrCase> {};

TEST_P(AnswerContainsErr, InAnyCaseButNeverInsideATwoByteCharacter) {
    SCOPED_TRACE(GetParam().sText);
    EXPECT_EQ(Nerlo_BGM::ContainsErr(GetParam().sText), GetParam().bExpected);
}

INSTANTIATE_TEST_SUITE_P(Texts, AnswerContainsErr, testing::Values(
    ErrCase{"Error:266", true}, ErrCase{"error", true}, ErrCase{"xxeRrxx", true}, ErrCase{kNoErrorTextCp932, true},
    ErrCase{"4", false}, ErrCase{"", false}, ErrCase{"ER R", false},
    // The two-byte characters 83 45 and 9F 52 end in the bytes of "E" and "R": no letters of the text.
    ErrCase{"\x83\x45RR", false}, ErrCase{"E\x9f\x52R", false}, ErrCase{"\x83\x45" "ERR", true}));

struct NumberCase {
    std::string sText;
    std::optional<double> nExpected;
};

class AnswerAsNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(AnswerAsNumber, ReadsDecimalTextWithBlanks) {
    SCOPED_TRACE(GetParam().sText);
    EXPECT_EQ(Nerlo_BGM::NumberOfText(GetParam().sText), GetParam().nExpected);
}

INSTANTIATE_TEST_SUITE_P(Texts, AnswerAsNumber, testing::Values(
    NumberCase{"4", 4.0}, NumberCase{" 04 ", 4.0}, NumberCase{"-3", -3.0}, NumberCase{"+3", 3.0},
    NumberCase{"3.5", 3.5}, NumberCase{".5", 0.5}, NumberCase{"3.", 3.0}, NumberCase{"1e1", 10.0},
    NumberCase{"1D1", 10.0}, NumberCase{"", std::nullopt}, NumberCase{"  ", std::nullopt},
    NumberCase{"4x", std::nullopt}, NumberCase{"0x4", std::nullopt}, NumberCase{"inf", std::nullopt},
    NumberCase{"1e", std::nullopt}, NumberCase{".", std::nullopt}, NumberCase{"-", std::nullopt},
    NumberCase{"03:00:00:00", std::nullopt}));

TEST(AnswerUpToNul, StopsAtTheFirstNulOrTheBufferEnd) {
    const char aWithNul[8] = {'p', 'l', 'a', 'y', '\0', 'e', 'd', 'x'};
    EXPECT_EQ(Nerlo_BGM::TextUpToNul(aWithNul, sizeof aWithNul), "play");
    const char aFull[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(Nerlo_BGM::TextUpToNul(aFull, sizeof aFull), "abcd");
}

}  // namespace
