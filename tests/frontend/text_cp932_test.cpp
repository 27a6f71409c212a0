// The texts that reach the system: each key and message in the bytes or UTF-16 units it must have.
#include "frontend/text_cp932.h"

#include <gtest/gtest.h>

#include "frontend/nerlo_b_texts.h"

namespace {

struct Cp932Case {
    const char* pszUtf8;
    const char* pszCp932;
};

void PrintTo(const Cp932Case& c, std::ostream* os) { *os << c.pszUtf8; }

class Cp932Bytes : public testing::TestWithParam<Cp932Case> {};

TEST_P(Cp932Bytes, MatchTheCodePage) {
    SCOPED_TRACE(GetParam().pszUtf8);
    EXPECT_EQ(Nerlo_B::Utf8ToCp932(GetParam().pszUtf8), std::string(GetParam().pszCp932));
}

INSTANTIATE_TEST_SUITE_P(OurTexts, Cp932Bytes, testing::Values(
    Cp932Case{Nerlo_B::Texts::kKeyKind, "\x42\x47\x4D\x8B\xE6\x95\xAA"},
    Cp932Case{Nerlo_B::Texts::kKeyRepeat, "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4"},
    Cp932Case{Nerlo_B::Texts::kKeyFile, "\x42\x47\x4D\xCC\xA7\xB2\xD9"},
    Cp932Case{Nerlo_B::Texts::kRendererMissing,
              "Vantorel.dll \x82\xAA\x93\xAF\x82\xB6\xCC\xAB\xD9\xC0\xDE\x82\xC9\x8C\xA9\x82\xC2\x82\xA9"
              "\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x49"},
    Cp932Case{"ﾌｧｲﾙを開く", "\xCC\xA7\xB2\xD9\x82\xF0\x8A\x4A\x82\xAD"},
    Cp932Case{"MP3、WAV", "MP3\x81\x41WAV"},
    Cp932Case{"｡ﾟ", "\xA1\xDF"}));

TEST(Cp932Bytes, UnknownCharactersAndBrokenTextGiveNothing) {
    EXPECT_EQ(Nerlo_B::Utf8ToCp932("漢"), std::nullopt);
    EXPECT_EQ(Nerlo_B::Utf8ToCp932("\xE5\x8C"), std::nullopt);
    EXPECT_EQ(Nerlo_B::Utf8ToCp932("\x80"), std::nullopt);
}

TEST(Utf16Text, TheRendererMessageReadsAsWritten) {
    EXPECT_EQ(Nerlo_B::Utf8ToUtf16(Nerlo_B::Texts::kRendererMissing),
              u"Vantorel.dll が同じﾌｫﾙﾀﾞに見つかりません！");
    EXPECT_EQ(Nerlo_B::Utf8ToUtf16("\xF0\x9F\x8E\xB5"), u"\U0001F3B5");
    EXPECT_EQ(Nerlo_B::Utf8ToUtf16("a\xFFz"), u"a\uFFFDz");
}

TEST(Cp932Characters, AreCountedWithTheirTrailBytes) {
    const std::string s = "a\x95\x5C" "b";  // a, 表, b
    EXPECT_EQ(Nerlo_B::Cp932PrefixBytes(s, 2), 3u);
    EXPECT_EQ(Nerlo_B::Cp932PrefixBytes(s, 9), 4u);
    EXPECT_EQ(Nerlo_B::Cp932LastCharacters(s, 2), "\x95\x5C" "b");
    EXPECT_EQ(Nerlo_B::Cp932LastCharacters(s, 1), "b");
    EXPECT_EQ(Nerlo_B::Cp932LastCharacters("ab", 3), "ab");
    // No characters asked for: nothing, also of a text that has some.
    EXPECT_EQ(Nerlo_B::Cp932LastCharacters(s, 0), "");
}

}  // namespace
