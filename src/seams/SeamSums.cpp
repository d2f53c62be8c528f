#include "seams/SeamSums.h"

std::int32_t CheapestPredecessor(const std::int64_t* previous, std::int32_t j, std::int32_t count)
{
    std::int32_t choice = j;
    if (j + 1 < count && previous[j + 1] <= previous[choice])
        choice = j + 1;
    if (j - 1 >= 0 && previous[j - 1] < previous[choice])
        choice = j - 1;
    return choice;
}
