#include "view/VxToolPanelState.h"

namespace {

constexpr std::size_t VisibleOffset = 4;
constexpr std::size_t FloatingOffset = 5;
constexpr std::size_t FloatingLeftOffset = 6;
constexpr std::size_t FloatingTopOffset = 10;
constexpr std::size_t FloatingWidthOffset = 14;
constexpr std::size_t FloatingHeightOffset = 18;
constexpr std::size_t DockSideOffset = 22;
constexpr std::size_t DockPositionOffset = 23;
constexpr std::size_t DockRowOffset = 27;
constexpr std::size_t DockedWidthOffset = 31;
constexpr std::size_t DockedHeightOffset = 35;
constexpr std::size_t SplitWidthOffset = 39;
constexpr std::size_t SplitWidthAgainOffset = 43;

void Put(std::span<std::uint8_t> record, std::size_t offset, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t Get(std::span<const std::uint8_t> record, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

} // namespace

std::array<std::uint8_t, TVxToolPanelState::RecordSize> EncodeToolPanelState(const TVxToolPanelState& state)
{
    std::array<std::uint8_t, TVxToolPanelState::RecordSize> record{};
    Put(record, 0, static_cast<std::int32_t>(TVxToolPanelState::RecordSize));
    record[VisibleOffset] = state.Visible ? 1 : 0;
    record[FloatingOffset] = state.Floating ? 1 : 0;
    if (state.Floating) {
        Put(record, FloatingLeftOffset, state.FloatingLeft);
        Put(record, FloatingTopOffset, state.FloatingTop);
        Put(record, FloatingWidthOffset, state.FloatingWidth);
        Put(record, FloatingHeightOffset, state.FloatingHeight);
    } else {
        record[DockSideOffset] = state.DockSide;
        Put(record, DockPositionOffset, state.DockPosition);
        Put(record, DockRowOffset, state.DockRow);
        Put(record, DockedWidthOffset, state.DockedWidth);
        Put(record, DockedHeightOffset, state.DockedHeight);
        Put(record, SplitWidthOffset, state.SplitWidth);
        Put(record, SplitWidthAgainOffset, state.SplitWidth);
    }
    return record;
}

std::optional<TVxToolPanelState> DecodeToolPanelState(std::span<const std::uint8_t> record)
{
    if (record.size() != TVxToolPanelState::RecordSize || Get(record, 0) != static_cast<std::int32_t>(TVxToolPanelState::RecordSize))
        return std::nullopt;
    TVxToolPanelState state;
    state.Visible = record[VisibleOffset] != 0;
    state.Floating = record[FloatingOffset] != 0;
    if (state.Floating) {
        state.FloatingLeft = Get(record, FloatingLeftOffset);
        state.FloatingTop = Get(record, FloatingTopOffset);
        state.FloatingWidth = Get(record, FloatingWidthOffset);
        state.FloatingHeight = Get(record, FloatingHeightOffset);
    } else {
        state.DockSide = record[DockSideOffset];
        state.DockPosition = Get(record, DockPositionOffset);
        state.DockRow = Get(record, DockRowOffset);
        state.DockedWidth = Get(record, DockedWidthOffset);
        state.DockedHeight = Get(record, DockedHeightOffset);
        // The height of the split is restored from the same field as its width.
        state.SplitWidth = Get(record, SplitWidthOffset);
    }
    return state;
}
