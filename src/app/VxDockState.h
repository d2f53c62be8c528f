#pragma once
// Where a dockable panel is and how big, as kept in a module's state node. Portable so
// that the record's round trip is tested on every build.
#include <cstdint>

#include "settings/VxSDF.h"

enum class TVxDockSide : std::int32_t { Left = 0, Right = 1, Top = 2, Bottom = 3, Floating = 4 };

struct TVxDockPanelState {
    TVxDockSide Side = TVxDockSide::Right;
    std::int32_t Width = 200;
    bool Visible = true;
    // Screen bounds while floating.
    std::int32_t FloatLeft = 0;
    std::int32_t FloatTop = 0;
    std::int32_t FloatWidth = 0;
    std::int32_t FloatHeight = 0;

    friend bool operator==(const TVxDockPanelState&, const TVxDockPanelState&) = default;
};

// One node with the given identifier inside the current node.
void SaveDockPanelState(TVxSDFWriter& writer, std::uint32_t identifier, const TVxDockPanelState& state);
// Reads what is present and sane; everything else keeps the caller's values.
bool LoadDockPanelState(TVxSDFReader& reader, std::uint32_t identifier, TVxDockPanelState& state);
