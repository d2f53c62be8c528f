#pragma once
// The numbers a brush tool is set by, with the rules for changing them: a value outside
// its range, or equal to the current one, changes nothing and reports false, so the tool
// runs its hooks (rebuild the brush, move the track bar, tell a recording lesson) only
// for a real change.
#include <cstdint>

class TVxBrushParameters {
public:
    std::int32_t BrushSize() const { return FBrushSize; }
    std::int32_t MinBrushSize() const { return FMinBrushSize; }
    std::int32_t MaxBrushSize() const { return FMaxBrushSize; }
    std::int32_t Opacity() const { return FOpacity; }
    std::int32_t Hardness() const { return FHardness; }

    bool SetBrushSize(std::int32_t value);
    bool SetOpacity(std::int32_t value);
    bool SetHardness(std::int32_t value);
    // New limits; the size is brought inside them.
    void SetSizeLimits(std::int32_t minimum, std::int32_t maximum);

private:
    std::int32_t FBrushSize = 10;
    std::int32_t FMinBrushSize = 1;
    std::int32_t FMaxBrushSize = 50;
    std::int32_t FOpacity = 255;
    std::int32_t FHardness = 128;
};
