#pragma once
// The tool panel's place, as its state node stores it: one packed little-endian record of
// 47 bytes whose first field repeats its size.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct TVxToolPanelState {
    static constexpr std::size_t RecordSize = 47;

    bool Visible = true;
    bool Floating = false;
    // Meaningful only when floating.
    std::int32_t FloatingLeft = 0, FloatingTop = 0, FloatingWidth = 0, FloatingHeight = 0;
    // Meaningful only when docked: 0 top, 1 bottom, 2 left, 3 right.
    std::uint8_t DockSide = 3;
    std::int32_t DockPosition = 0, DockRow = 0, DockedWidth = 0, DockedHeight = 0;
    std::int32_t SplitWidth = 0;

    friend bool operator==(const TVxToolPanelState&, const TVxToolPanelState&) = default;
};

// The part that does not apply (docked or floating) is written as zeros.
std::array<std::uint8_t, TVxToolPanelState::RecordSize> EncodeToolPanelState(const TVxToolPanelState& state);
// Nothing for a record of another size or whose first field is not 47.
std::optional<TVxToolPanelState> DecodeToolPanelState(std::span<const std::uint8_t> record);
