#include <gtest/gtest.h>

#include <vector>

#include "view/VxToolPanelState.h"

namespace {

TEST(VxToolPanelStateTest, DockedRecordLayout)
{
    TVxToolPanelState state;
    state.Visible = true;
    state.Floating = false;
    state.FloatingLeft = 99; // not written while docked
    state.DockSide = 3;
    state.DockPosition = 0x01020304;
    state.DockRow = 1;
    state.DockedWidth = 200;
    state.DockedHeight = 480;
    state.SplitWidth = 204;
    const auto record = EncodeToolPanelState(state);
    const std::vector<std::uint8_t> expected = {
        47, 0, 0, 0, 1, 0,                                   // size, visible, floating
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // floating part
        3, 4, 3, 2, 1, 1, 0, 0, 0, 200, 0, 0, 0, 0xE0, 1, 0, 0, 204, 0, 0, 0, 204, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.end()), expected);
}

TEST(VxToolPanelStateTest, RoundTripDockedAndFloating)
{
    TVxToolPanelState docked;
    docked.Visible = false;
    docked.DockSide = 2;
    docked.DockPosition = -5;
    docked.DockedWidth = 220;
    docked.SplitWidth = 224;
    TVxToolPanelState floating;
    floating.Floating = true;
    floating.FloatingLeft = -30;
    floating.FloatingTop = 40;
    floating.FloatingWidth = 200;
    floating.FloatingHeight = 300;
    floating.DockSide = 0; // not stored while floating; the decoder keeps its default
    for (const TVxToolPanelState& state : {docked, floating}) {
        const auto record = EncodeToolPanelState(state);
        const auto decoded = DecodeToolPanelState(record);
        ASSERT_TRUE(decoded);
        TVxToolPanelState expected = state;
        if (state.Floating)
            expected.DockSide = TVxToolPanelState{}.DockSide;
        EXPECT_EQ(*decoded, expected);
    }
}

TEST(VxToolPanelStateTest, WrongSizeOrFirstFieldIsIgnored)
{
    auto record = EncodeToolPanelState(TVxToolPanelState{});
    std::vector<std::uint8_t> bytes(record.begin(), record.end());
    EXPECT_FALSE(DecodeToolPanelState(std::span(bytes).first(46)));
    bytes.push_back(0);
    EXPECT_FALSE(DecodeToolPanelState(bytes));
    bytes.pop_back();
    bytes[0] = 46;
    EXPECT_FALSE(DecodeToolPanelState(bytes));
    bytes[0] = 47;
    bytes[1] = 1;
    EXPECT_FALSE(DecodeToolPanelState(bytes));
    EXPECT_FALSE(DecodeToolPanelState({}));
}

} // namespace
