#include "tools/VxBrushParameters.h"

#include <algorithm>

bool TVxBrushParameters::SetBrushSize(std::int32_t value)
{
    if (value == FBrushSize || value < FMinBrushSize || value > FMaxBrushSize)
        return false;
    FBrushSize = value;
    return true;
}

bool TVxBrushParameters::SetOpacity(std::int32_t value)
{
    if (value == FOpacity || value < 0 || value > 255)
        return false;
    FOpacity = value;
    return true;
}

bool TVxBrushParameters::SetHardness(std::int32_t value)
{
    if (value == FHardness || value < 0 || value > 255)
        return false;
    FHardness = value;
    return true;
}

void TVxBrushParameters::SetSizeLimits(std::int32_t minimum, std::int32_t maximum)
{
    FMinBrushSize = std::max(1, minimum);
    FMaxBrushSize = std::max(FMinBrushSize, maximum);
    FBrushSize = std::clamp(FBrushSize, FMinBrushSize, FMaxBrushSize);
}
