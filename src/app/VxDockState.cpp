#include "app/VxDockState.h"

namespace {

enum : std::uint32_t { elSide = 1, elWidth = 2, elVisible = 3, elFloatLeft = 4, elFloatTop = 5, elFloatWidth = 6, elFloatHeight = 7 };

constexpr std::int32_t RecordVersion = 1;
// Wider than any sane panel; a damaged file must not make the window unusable.
constexpr std::int32_t MaximumWidth = 4096;

}  // namespace

void SaveDockPanelState(TVxSDFWriter& writer, std::uint32_t identifier, const TVxDockPanelState& state)
{
    writer.BeginIntegerNode(identifier, RecordVersion);
    writer.WriteInteger(elSide, static_cast<std::int32_t>(state.Side));
    writer.WriteInteger(elWidth, state.Width);
    writer.WriteBoolean(elVisible, state.Visible);
    writer.WriteInteger(elFloatLeft, state.FloatLeft);
    writer.WriteInteger(elFloatTop, state.FloatTop);
    writer.WriteInteger(elFloatWidth, state.FloatWidth);
    writer.WriteInteger(elFloatHeight, state.FloatHeight);
    writer.EndNode();
}

bool LoadDockPanelState(TVxSDFReader& reader, std::uint32_t identifier, TVxDockPanelState& state)
{
    if (!reader.EnterNode(identifier))
        return false;
    std::int32_t value = 0;
    if (reader.ReadInteger(elSide, value) && value >= 0 && value <= static_cast<std::int32_t>(TVxDockSide::Floating))
        state.Side = static_cast<TVxDockSide>(value);
    if (reader.ReadInteger(elWidth, value) && value > 0 && value <= MaximumWidth)
        state.Width = value;
    reader.ReadBoolean(elVisible, state.Visible);
    reader.ReadInteger(elFloatLeft, state.FloatLeft);
    reader.ReadInteger(elFloatTop, state.FloatTop);
    if (reader.ReadInteger(elFloatWidth, value) && value >= 0 && value <= MaximumWidth * 4)
        state.FloatWidth = value;
    if (reader.ReadInteger(elFloatHeight, value) && value >= 0 && value <= MaximumWidth * 4)
        state.FloatHeight = value;
    reader.LeaveNode();
    return true;
}
