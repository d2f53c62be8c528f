#pragma once
// What a seam does to the picture and to the grid, and what a user's mark asks of the
// seams: shared by the search, the carving and whoever watches them.
#include <cstdint>

enum TSeemKind : std::uint8_t {
    skRemoveHorizontal,
    skInsertHorizontal,
    skRemoveVertical,
    skInsertVertical,
};

inline bool IsHorizontal(TSeemKind kind)
{
    return kind == skRemoveHorizontal || kind == skInsertHorizontal;
}

// One byte a pixel; a block keeps the largest mark of its pixels, so protection wins
// over removal where both meet.
enum TSeemMark : std::uint8_t {
    smNone = 0,
    smRemove = 1,
    smProtect = 2,
};
