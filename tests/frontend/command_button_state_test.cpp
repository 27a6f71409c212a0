// The Command button's states and events: the transition table, the usual click, the drag-off
// release, other mouse buttons, a disabled button, and the pointer poll.
#include <gtest/gtest.h>

#include <functional>

#include "command_button_test_host.h"

namespace {

using Nerlo_Command::CCommand;
using Nerlo_Command::MouseButton;
using Nerlo_Command::Skin;
using Skins = std::vector<Skin>;

// A button as the dialog has it after its form loaded: properties read, then Initialize.
struct PlacedButton {
    vtest::CRecordingCommandHost host;
    CCommand button{host, 1155, 375};
    PlacedButton() {
        button.ReadProperties({}, {});
        button.Initialize();
        host.Forget();
    }
    // Drives the button into a state by the events a user would cause.
    void Reach(std::uint8_t nState) {
        if (nState == 2 || nState == 4) button.OnMouseMove();
        if (nState == 3 || nState == 4) button.OnGotFocus();
        if (nState == 4 && button.State() == 3) button.OnMouseMove();
        host.Forget();
    }
};

struct Transition {
    const char* pszName;
    std::uint8_t nFrom;
    std::function<void(CCommand&)> fnEvent;
    std::uint8_t nTo;
    Skins aPainted;
};

class CommandTransitions : public testing::TestWithParam<Transition> {};

TEST_P(CommandTransitions, MoveToTheStateAndPaintTheSkinOfTheTable) {
    const Transition& t = GetParam();
    PlacedButton b;
    b.Reach(t.nFrom);
    ASSERT_EQ(b.button.State(), t.nFrom);
    t.fnEvent(b.button);
    EXPECT_EQ(b.button.State(), t.nTo);
    EXPECT_EQ(b.host.aSkins, t.aPainted);
}

const auto kMove = [](CCommand& c) { c.OnMouseMove(); };
const auto kFocus = [](CCommand& c) { c.OnGotFocus(); };
const auto kBlur = [](CCommand& c) { c.OnLostFocus(); };
const auto kLeft = [](CCommand& c) { c.OnPollTick(true); };
const auto kStays = [](CCommand& c) { c.OnPollTick(false); };
const auto kDown = [](CCommand& c) { c.OnMouseDown(MouseButton::Left); };
const auto kUp = [](CCommand& c) { c.OnMouseUp(MouseButton::Left); };

INSTANTIATE_TEST_SUITE_P(
    Table, CommandTransitions,
    testing::Values(
        Transition{"move_1", 1, kMove, 2, {Skin::HighLight}},
        Transition{"move_2", 2, kMove, 2, {}},
        Transition{"move_3", 3, kMove, 4, {Skin::HighLightSelect}},
        Transition{"move_4", 4, kMove, 4, {}},
        Transition{"focus_1", 1, kFocus, 3, {Skin::Selected}},
        Transition{"focus_2", 2, kFocus, 4, {Skin::Pressed}},
        Transition{"focus_3", 3, kFocus, 3, {Skin::Selected}},
        Transition{"focus_4", 4, kFocus, 3, {Skin::Selected}},
        Transition{"blur_1", 1, kBlur, 1, {}},
        Transition{"blur_2", 2, kBlur, 1, {Skin::Normal}},
        Transition{"blur_3", 3, kBlur, 1, {Skin::Normal}},
        Transition{"blur_4", 4, kBlur, 1, {Skin::Normal}},
        Transition{"poll_left_1", 1, kLeft, 1, {}},
        Transition{"poll_left_2", 2, kLeft, 1, {Skin::Normal}},
        Transition{"poll_left_3", 3, kLeft, 3, {}},
        Transition{"poll_left_4", 4, kLeft, 3, {Skin::Selected}},
        Transition{"poll_over_2", 2, kStays, 2, {}},
        Transition{"poll_over_4", 4, kStays, 4, {}},
        Transition{"down_1", 1, kDown, 1, {Skin::Pressed}},
        Transition{"down_3", 3, kDown, 3, {Skin::Pressed}},
        Transition{"up_1", 1, kUp, 1, {}},
        Transition{"up_2", 2, kUp, 2, {Skin::Normal}},
        Transition{"up_3", 3, kUp, 3, {}},
        Transition{"up_4", 4, kUp, 4, {Skin::HighLightSelect}}),
    [](const testing::TestParamInfo<Transition>& info) { return std::string(info.param.pszName); });

TEST(CommandButton, FreshInstanceIsStateZeroDisabledAndInitializeOnlyArmsThePoll) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    EXPECT_EQ(button.State(), 0);
    EXPECT_FALSE(button.IsEnabledFlag());
    EXPECT_EQ(button.FirstRun(), 0);
    button.ReadProperties({}, {});
    host.Forget();
    button.Initialize();
    EXPECT_EQ(button.State(), 1);
    EXPECT_EQ(host.aTimers, std::vector<std::uint32_t>{100});
    EXPECT_TRUE(host.aSkins.empty());
}

TEST(CommandButton, BeforeInitializeHoverChangesNothingButFocusShowsSelected) {
    vtest::CRecordingCommandHost host;
    CCommand button(host, 1155, 375);
    button.ReadProperties({}, {});
    host.Forget();
    button.OnMouseMove();
    EXPECT_EQ(button.State(), 0);
    EXPECT_TRUE(host.aSkins.empty());
    button.OnGotFocus();
    EXPECT_EQ(button.State(), 3);
    EXPECT_EQ(host.aSkins, Skins{Skin::Selected});
}

TEST(CommandButton, UsualClickOnAnUnfocusedButtonRaisesClickOnce) {
    PlacedButton b;
    b.button.OnMouseMove();
    b.button.OnGotFocus();  // the press gives focus before the button-down arrives
    b.button.OnMouseDown(MouseButton::Left);
    EXPECT_TRUE(b.button.IsButtonHeld());
    EXPECT_EQ(b.host.nClicks, 0);
    b.button.OnMouseUp(MouseButton::Left);
    EXPECT_EQ(b.host.aSkins, (Skins{Skin::HighLight, Skin::Pressed, Skin::Pressed, Skin::HighLightSelect}));
    EXPECT_EQ(b.button.State(), 4);
    EXPECT_FALSE(b.button.IsButtonHeld());
    EXPECT_EQ(b.host.nClicks, 1);
}

TEST(CommandButton, PressDragOffAndReleaseRaisesNothing) {
    PlacedButton b;
    b.button.OnMouseMove();
    b.button.OnGotFocus();
    b.button.OnMouseDown(MouseButton::Left);
    b.button.OnPollTick(true);
    EXPECT_EQ(b.button.State(), 3);
    // Back over the button while still held: no HighLightSelect until the button is let go.
    b.button.OnMouseMove();
    EXPECT_EQ(b.button.State(), 3);
    b.button.OnPollTick(true);
    b.button.OnMouseUp(MouseButton::Left);
    EXPECT_EQ(b.host.nClicks, 0);
}

class OtherButtons : public testing::TestWithParam<MouseButton> {};

TEST_P(OtherButtons, ReleaseOverAHoveredButtonClicksWithoutThePressedFace) {
    PlacedButton b;
    b.Reach(2);
    b.button.OnMouseDown(GetParam());
    b.button.OnMouseUp(GetParam());
    EXPECT_TRUE(b.host.aSkins.empty());
    EXPECT_FALSE(b.button.IsButtonHeld());
    EXPECT_EQ(b.host.nClicks, 1);
}

INSTANTIATE_TEST_SUITE_P(RightAndMiddle, OtherButtons, testing::Values(MouseButton::Right, MouseButton::Middle));

TEST(CommandButton, ReleaseInSelectedRaisesNothing) {
    PlacedButton b;
    b.Reach(3);
    b.button.OnMouseUp(MouseButton::Right);
    EXPECT_EQ(b.host.nClicks, 0);
}

TEST(CommandButton, LeftReleaseInHighLightShowsNormalUntilThePointerComesBack) {
    PlacedButton b;
    b.Reach(2);
    b.button.OnMouseUp(MouseButton::Left);
    b.button.OnMouseMove();
    EXPECT_EQ(b.host.aSkins, Skins{Skin::Normal});
    b.button.OnPollTick(true);
    b.button.OnMouseMove();
    EXPECT_EQ(b.host.aSkins, (Skins{Skin::Normal, Skin::Normal, Skin::HighLight}));
}

TEST(CommandButton, DisabledShowsDisableIgnoresEverythingAndKeepsItsStateWhenEnabledAgain) {
    PlacedButton b;
    b.Reach(2);
    b.button.SetEnabled(false);
    EXPECT_EQ(b.host.aSkins, Skins{Skin::Disable});
    EXPECT_FALSE(b.button.Label().bEnabled);
    b.host.Forget();
    b.button.OnMouseMove();
    b.button.OnMouseDown(MouseButton::Left);
    b.button.OnMouseUp(MouseButton::Left);
    b.button.OnMouseUp(MouseButton::Right);
    b.button.OnGotFocus();
    b.button.OnLostFocus();
    b.button.OnPollTick(true);
    EXPECT_TRUE(b.host.aSkins.empty());
    EXPECT_EQ(b.host.nClicks, 0);
    EXPECT_FALSE(b.button.IsButtonHeld());
    EXPECT_EQ(b.button.State(), 2);
    b.button.SetEnabled(true);
    EXPECT_EQ(b.host.aSkins, Skins{Skin::Normal});
    EXPECT_EQ(b.button.State(), 2);
    EXPECT_EQ(b.host.aChanged, (std::vector<std::string>{"Enabled"}));
}

TEST(CommandButton, PollCallsThePointerElsewhereUnlessItIsOverTheButtonsOwnWindow) {
    constexpr std::uintptr_t kButton = 0x10, kForm = 0x20, kOther = 0x30;
    EXPECT_FALSE(Nerlo_Command::PointerIsElsewhere(kButton, kButton, kForm));
    EXPECT_TRUE(Nerlo_Command::PointerIsElsewhere(kForm, kButton, kForm));
    EXPECT_TRUE(Nerlo_Command::PointerIsElsewhere(kOther, kButton, kForm));
    EXPECT_TRUE(Nerlo_Command::PointerIsElsewhere(0, kButton, kForm));
}

}  // namespace
