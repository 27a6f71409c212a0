// The Command button's face: gradient colours, the inversion rule, the slice table for the dialog's
// two button sizes, the caption's place, tiny buttons; and the properties with their persistence.
#include <gtest/gtest.h>

#include "command_button_test_host.h"

namespace {

using namespace Nerlo_Command;

TEST(CommandFace, GradientColoursAreHighBytesOfTheHexGroupsInReadingOrder) {
    const GradientColour light = GradientColourOf(kLightColour), dark = GradientColourOf(kDarkColour);
    EXPECT_EQ(light.nRed, 0xFF00);
    EXPECT_EQ(light.nGreen, 0xFF00);
    EXPECT_EQ(light.nBlue, 0xFF00);
    EXPECT_EQ(dark.nRed, 0xC600);
    EXPECT_EQ(dark.nGreen, 0xC500);
    EXPECT_EQ(dark.nBlue, 0xD700);
    EXPECT_EQ(dark.nAlpha, 0);
}

struct InversionCase {
    std::uint8_t nState;
    bool bBefore, bAfter;
};
class Inversion : public testing::TestWithParam<InversionCase> {};
TEST_P(Inversion, FollowsTheStateOrKeepsThePreviousDirection) {
    EXPECT_EQ(InversionAfter(GetParam().nState, GetParam().bBefore), GetParam().bAfter);
}
INSTANTIATE_TEST_SUITE_P(States, Inversion,
                         testing::Values(InversionCase{1, true, false}, InversionCase{3, true, false},
                                         InversionCase{2, false, true}, InversionCase{0, false, false},
                                         InversionCase{0, true, true}, InversionCase{4, true, true},
                                         InversionCase{4, false, false}));

TEST(CommandFace, ClickFromHoverKeepsTheInvertedGradientFromSelectedTheNormalOne) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    button.Initialize();
    button.OnMouseMove();
    button.OnGotFocus();
    ASSERT_EQ(button.State(), 4);
    EXPECT_EQ(host.aFaces.back().top.nRed, 0xC600) << "HighLight -> HighLightSelect stays inverted";
    button.OnPollTick(true);
    button.OnMouseMove();
    ASSERT_EQ(host.aSkins.back(), Skin::HighLightSelect);
    EXPECT_EQ(host.aFaces.back().top.nRed, 0xFF00) << "Selected -> HighLightSelect stays normal";
}

struct SliceRow {
    Rect source, destination, destinationPixels;
};

void ExpectSlices(const FaceLayout& face, const std::vector<SliceRow>& aRows) {
    ASSERT_EQ(face.nSlices, static_cast<int>(aRows.size()));
    for (std::size_t i = 0; i < aRows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "slice " << i + 1);
        const Slice& s = face.aSlices[i];
        EXPECT_EQ(s.source, aRows[i].source);
        EXPECT_EQ(s.destination, aRows[i].destination);
        EXPECT_EQ(s.destinationPixels, aRows[i].destinationPixels);
    }
}

TEST(CommandFace, StoreButtonSlices) {
    const FaceLayout face = LayoutFace(1155, 375, 195, false);  // 77 x 25 pixels
    ExpectSlices(face, {
        {{0, 0, 60, 60}, {1, 1, 60, 60}, {0, 0, 4, 4}},
        {{60, 1, 840, 60}, {60, 1, 1035, 60}, {4, 0, 69, 4}},
        {{900, 1, 60, 60}, {1095, 1, 60, 60}, {73, 0, 4, 4}},
        {{900, 60, 60, 255}, {1095, 60, 60, 255}, {73, 4, 4, 17}},
        {{900, 315, 60, 60}, {1095, 315, 60, 60}, {73, 21, 4, 4}},
        {{60, 315, 840, 60}, {60, 315, 1035, 60}, {4, 21, 69, 4}},
        {{0, 315, 60, 60}, {1, 315, 60, 60}, {0, 21, 4, 4}},
        {{1, 60, 60, 255}, {1, 60, 60, 255}, {0, 4, 4, 17}},
    });
    EXPECT_EQ(face.aSlices[1].sourcePixels, (Rect{4, 0, 56, 4}));
    EXPECT_EQ(face.nGradientRight, 76);
    EXPECT_EQ(face.nGradientBottom, 24);
    EXPECT_DOUBLE_EQ(face.fCaptionTop, 80);
    EXPECT_EQ(face.nCaptionWidth, 1155);
}

TEST(CommandFace, FileButtonSlices) {
    const FaceLayout face = LayoutFace(615, 315, 195, false);  // 41 x 21 pixels
    ExpectSlices(face, {
        {{0, 0, 60, 60}, {1, 1, 60, 60}, {0, 0, 4, 4}},
        {{60, 1, 840, 60}, {60, 1, 495, 60}, {4, 0, 33, 4}},
        {{900, 1, 60, 60}, {555, 1, 60, 60}, {37, 0, 4, 4}},
        {{900, 60, 60, 255}, {555, 60, 60, 195}, {37, 4, 4, 13}},
        {{900, 315, 60, 60}, {555, 255, 60, 60}, {37, 17, 4, 4}},
        {{60, 315, 840, 60}, {60, 255, 495, 60}, {4, 17, 33, 4}},
        {{0, 315, 60, 60}, {1, 255, 60, 60}, {0, 17, 4, 4}},
        {{1, 60, 60, 255}, {1, 60, 60, 195}, {0, 4, 4, 13}},
    });
    EXPECT_DOUBLE_EQ(face.fCaptionTop, 50);
    EXPECT_EQ(face.nGradientRight, 40);
    EXPECT_EQ(face.nGradientBottom, 20);
}

TEST(CommandFace, InvertedFaceSwapsTheGradientEnds) {
    const FaceLayout face = LayoutFace(1155, 375, 195, true);
    EXPECT_EQ(face.top.nBlue, 0xD700);
    EXPECT_EQ(face.bottom.nBlue, 0xFF00);
}

struct TinyCase {
    int nWidth, nHeight, nSlices;
};
class TinyButton : public testing::TestWithParam<TinyCase> {};
TEST_P(TinyButton, LeavesOutEdgeSlicesWithoutRoomButKeepsTheCorners) {
    const FaceLayout face = LayoutFace(GetParam().nWidth, GetParam().nHeight, 195, false);
    EXPECT_EQ(face.nSlices, GetParam().nSlices);
    for (int i = 0; i < face.nSlices; ++i) {
        EXPECT_GT(face.aSlices[i].destination.w, 0);
        EXPECT_GT(face.aSlices[i].destination.h, 0);
    }
}
INSTANTIATE_TEST_SUITE_P(Sizes, TinyButton,
                         testing::Values(TinyCase{120, 375, 6}, TinyCase{90, 375, 6}, TinyCase{1155, 120, 6},
                                         TinyCase{105, 105, 4}, TinyCase{135, 135, 8}));

// ---- properties ----

TEST(CommandProperties, CaptionWrittenAsCommandReadsBackAsCommand1) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    button.SetCaption("Command");
    PropertyBag bag;
    button.WriteProperties(bag, {});
    EXPECT_EQ(bag.aValues.count("Caption"), 0u);
    CCommand again(host, 1155, 375);
    again.ReadProperties(bag, {});
    EXPECT_EQ(again.Caption(), "Command1");
}

TEST(CommandProperties, OtherValuesRoundTripAndDefaultsAreLeftOut) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    PropertyBag bag;
    button.WriteProperties(bag, {});
    // Only the caption differs from its writing default: it read as "Command1".
    EXPECT_EQ(bag.aValues, (std::map<std::string, std::string>{{"Caption", "Command1"}}));
    EXPECT_FALSE(bag.font.has_value());

    button.SetCaption("設定");
    button.SetFontColour(0x00FF00);
    button.SetVisible(0);
    FontDesc bold;
    bold.nWeight = 700;
    button.SetFont(bold);
    button.SetEnabled(false);
    button.WriteProperties(bag, {});
    CCommand again(host, 1155, 375);
    again.ReadProperties(bag, {});
    EXPECT_EQ(again.Caption(), "設定");
    EXPECT_EQ(again.Label().nColour, 0x00FF00u);
    EXPECT_FALSE(again.IsOpaque());
    EXPECT_EQ(again.Font().nWeight, 700);
    EXPECT_FALSE(again.IsEnabledFlag());
}

TEST(CommandProperties, CaptionNotifiesWithoutRepaint) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    host.Forget();
    button.SetCaption("ｷｬﾝｾﾙ");
    EXPECT_TRUE(host.aSkins.empty());
    EXPECT_EQ(host.aChanged, std::vector<std::string>{"Caption"});
}

struct ReadCase {
    const char* pszName;
    std::function<void(CCommand&)> fnRead;
    bool bEnabled;
    std::vector<Skin> aPainted;
};
class PropertyReads : public testing::TestWithParam<ReadCase> {};
TEST_P(PropertyReads, RepaintAsTheLookStepsSay) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    button.SetEnabled(GetParam().bEnabled);
    host.Forget();
    GetParam().fnRead(button);
    EXPECT_EQ(host.aSkins, GetParam().aPainted);
}
INSTANTIATE_TEST_SUITE_P(
    Reads, PropertyReads,
    testing::Values(ReadCase{"colour_enabled", [](CCommand& c) { c.FontColour(); }, true, {Skin::Normal}},
                    ReadCase{"colour_disabled", [](CCommand& c) { c.FontColour(); }, false, {}},
                    ReadCase{"visible_enabled", [](CCommand& c) { c.Visible(); }, true, {Skin::Normal}},
                    ReadCase{"enabled_enabled", [](CCommand& c) { c.Enabled(); }, true, {Skin::Normal}},
                    ReadCase{"enabled_disabled", [](CCommand& c) { c.Enabled(); }, false, {Skin::Disable}},
                    ReadCase{"caption", [](CCommand& c) { c.Caption(); }, true, {}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.pszName); });

TEST(CommandProperties, ReadingEnabledOnANeverInitialisedInstanceEnablesIt) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    EXPECT_TRUE(button.Enabled()) << "the first-run step enables before the value is read";
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_EQ(host.aSkins, std::vector<Skin>{Skin::Normal}) << "the enabled-look step after the first run";
}

TEST(CommandProperties, TransparentSurfaceReadsVisibleZeroWithoutPaint) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    button.SetVisible(0);
    host.Forget();
    EXPECT_EQ(button.Visible(), 0);
    EXPECT_TRUE(host.aSkins.empty());
}

}  // namespace
