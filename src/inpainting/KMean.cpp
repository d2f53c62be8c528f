#include "inpainting/KMean.h"

#include <cmath>

namespace {

std::array<float, 3> ColourChannels(std::uint32_t colour)
{
    return {static_cast<float>(colour & 0xFF), static_cast<float>((colour >> 8) & 0xFF),
            static_cast<float>((colour >> 16) & 0xFF)};
}

} // namespace

void TKMean::AddColour(std::uint32_t colour)
{
    colour &= 0xFFFFFF;
    const auto [it, inserted] = FIndex.try_emplace(colour, DistinctCount());
    if (inserted)
        FColours.push_back(TKMeanColour{colour, 0, 0});
    ++FColours[it->second].Count;
}

void TKMean::AddCentre(std::uint32_t colour, bool movable)
{
    TKMeanCluster cluster;
    cluster.Centre = ColourChannels(colour);
    cluster.Movable = movable ? 1 : 0;
    FClusters.push_back(cluster);
}

std::int32_t TKMean::ClusterOf(std::uint32_t colour) const
{
    const auto it = FIndex.find(colour & 0xFFFFFF);
    return it == FIndex.end() ? -1 : FColours[it->second].Cluster;
}

float TKMean::WeightedDistance(const TKMeanColour& colour, const TKMeanCluster& cluster) const
{
    const std::array<float, 3> channels = ColourChannels(colour.Colour);
    float squares = 0;
    for (int c = 0; c < 3; ++c) {
        const float d = channels[c] - cluster.Centre[c];
        squares += d * d;
    }
    return std::sqrt(squares) * static_cast<float>(colour.Count);
}

void TKMean::Accumulate(const TKMeanColour& colour)
{
    TKMeanCluster& cluster = FClusters[colour.Cluster];
    const std::array<float, 3> channels = ColourChannels(colour.Colour);
    const float count = static_cast<float>(colour.Count);
    for (int c = 0; c < 3; ++c)
        cluster.Sums[c] += channels[c] * count;
    cluster.Weight += colour.Count;
}

std::int32_t TKMean::Iterate()
{
    if (FClusters.empty())
        return 0;
    for (TKMeanCluster& cluster : FClusters) {
        cluster.Sums = {};
        cluster.Weight = 0;
    }
    std::int32_t moves = 0;
    for (TKMeanColour& colour : FColours) {
        std::int32_t best = colour.Cluster;
        float bestDistance = WeightedDistance(colour, FClusters[best]);
        for (std::int32_t j = 0; j < ClusterCount(); ++j) {
            if (j == colour.Cluster)
                continue;
            const float distance = WeightedDistance(colour, FClusters[j]);
            if (distance < bestDistance) {
                best = j;
                bestDistance = distance;
            }
        }
        if (best != colour.Cluster) {
            colour.Cluster = best;
            ++moves;
        }
        Accumulate(colour);
    }
    for (TKMeanCluster& cluster : FClusters) {
        if (cluster.Movable && cluster.Weight > 0) {
            for (int c = 0; c < 3; ++c)
                cluster.Centre[c] = cluster.Sums[c] / static_cast<float>(cluster.Weight);
        }
    }
    return moves;
}
