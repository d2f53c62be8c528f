#include <gtest/gtest.h>

#include "app/VxDockState.h"
#include "settings/VxStreams.h"

namespace {

TVxDockPanelState RoundTrip(const TVxDockPanelState& state)
{
    TVxMemoryStream stream;
    TVxSDFWriter writer(&stream);
    SaveDockPanelState(writer, 7, state);
    stream.Seek(0);
    TVxSDFReader reader(&stream);
    TVxDockPanelState loaded{TVxDockSide::Left, 1, false, 9, 9, 9, 9};
    EXPECT_TRUE(LoadDockPanelState(reader, 7, loaded));
    return loaded;
}

TEST(VxDockStateTest, EveryPlacementRoundTrips)
{
    const TVxDockPanelState states[] = {
        {},
        {TVxDockSide::Left, 272, true, 0, 0, 0, 0},
        {TVxDockSide::Floating, 200, true, -1200, 40, 300, 500},
        {TVxDockSide::Right, 4096, false, 10, 20, 30, 40},
    };
    for (const TVxDockPanelState& state : states) {
        SCOPED_TRACE(static_cast<int>(state.Side));
        EXPECT_EQ(RoundTrip(state), state);
    }
}

TEST(VxDockStateTest, MissingNodeKeepsDefaults)
{
    TVxMemoryStream stream;
    TVxSDFReader reader(&stream);
    TVxDockPanelState state;
    EXPECT_FALSE(LoadDockPanelState(reader, 7, state));
    EXPECT_EQ(state, TVxDockPanelState{});
}

TEST(VxDockStateTest, InsaneValuesAreIgnored)
{
    struct TCase {
        std::uint32_t Element;
        std::int32_t Value;
    };
    const TCase cases[] = {{1, 9}, {1, -1}, {2, 0}, {2, -5}, {2, 100000}, {6, -1}, {7, 1 << 30}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Element);
        TVxMemoryStream stream;
        TVxSDFWriter writer(&stream);
        writer.BeginIntegerNode(7, 1);
        writer.WriteInteger(c.Element, c.Value);
        writer.EndNode();
        stream.Seek(0);
        TVxSDFReader reader(&stream);
        TVxDockPanelState state;
        EXPECT_TRUE(LoadDockPanelState(reader, 7, state));
        EXPECT_EQ(state, TVxDockPanelState{});
    }
}

TEST(VxDockStateTest, TruncatedRecordKeepsWhatPrecedesTheDamage)
{
    TVxMemoryStream full;
    TVxSDFWriter writer(&full);
    SaveDockPanelState(writer, 7, {TVxDockSide::Left, 300, false, 1, 2, 3, 4});
    const std::vector<std::uint8_t>& bytes = full.Bytes();
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        TVxMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
        TVxSDFReader reader(&stream);
        TVxDockPanelState state;
        LoadDockPanelState(reader, 7, state);
        EXPECT_TRUE(state.Side == TVxDockSide::Right || state.Side == TVxDockSide::Left);
        EXPECT_TRUE(state.Width == 200 || state.Width == 300);
    }
}

}  // namespace
