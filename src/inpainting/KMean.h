#pragma once
// k-means over the distinct colours of a set of pixels, each colour weighted by how
// often it occurs. Centres and sums are 32-bit floats.
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct TKMeanColour {
    std::uint32_t Colour = 0; // 0x00RRGGBB
    std::int32_t Cluster = 0;
    std::int32_t Count = 0;
};

struct TKMeanCluster {
    std::array<float, 3> Centre{};
    std::array<float, 3> Sums{};
    std::int32_t Weight = 0;
    std::uint8_t Movable = 0;
};

class TKMean {
public:
    void AddColour(std::uint32_t colour);
    void AddCentre(std::uint32_t colour, bool movable);
    // One assignment and update round; the number of colours that changed cluster.
    std::int32_t Iterate();

    std::int32_t DistinctCount() const { return static_cast<std::int32_t>(FColours.size()); }
    const TKMeanColour& Distinct(std::int32_t index) const { return FColours[index]; }
    std::int32_t ClusterCount() const { return static_cast<std::int32_t>(FClusters.size()); }
    const TKMeanCluster& Cluster(std::int32_t index) const { return FClusters[index]; }
    // Cluster of a counted colour, -1 for a colour never added.
    std::int32_t ClusterOf(std::uint32_t colour) const;

private:
    float WeightedDistance(const TKMeanColour& colour, const TKMeanCluster& cluster) const;
    void Accumulate(const TKMeanColour& colour);

    // Any exact colour-to-index mapping serves; a hash map costs memory in proportion to
    // the colours seen instead of a 2^24-entry table.
    std::unordered_map<std::uint32_t, std::int32_t> FIndex;
    std::vector<TKMeanColour> FColours;
    std::vector<TKMeanCluster> FClusters;
};
