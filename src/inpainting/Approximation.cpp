#include "inpainting/Approximation.h"

// GCC reports a false "may be used uninitialized" deep inside Eigen's triangular
// products; the diagnostic is silenced for Eigen only.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <Eigen/Dense>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::array<int, TArgumentTransfer::MaxLevel + 1> FunctionCounts = {1, 3, 4, 6, 8, 10};

// Singular values below this fraction of the largest are treated as zero, which gives
// the minimum-norm solution when the ring's positions leave the basis rank-deficient
// (all ring cells on one line, for instance) instead of a correction that explodes.
constexpr double RelativeSingularThreshold = 1000.0 * std::numeric_limits<double>::epsilon();

using TRowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

} // namespace

// ---------------------------------------------------------------- TArgumentTransfer

TArgumentTransfer::TArgumentTransfer(int level) : FLevel(std::clamp(level, 0, MaxLevel)), FCount(FunctionCounts[FLevel])
{
}

int TArgumentTransfer::FunctionCount(int level)
{
    return FunctionCounts[std::clamp(level, 0, MaxLevel)];
}

void TArgumentTransfer::Evaluate(double x, double y)
{
    const std::array<double, MaxFunctions> all = {1.0,   x,         y,         x * y,     x * x,
                                                  y * y, x * x * y, x * y * y, x * x * x, y * y * y};
    std::copy_n(all.begin(), FCount, FValues.begin());
}

// ---------------------------------------------------------------- TLSM2

TLSM2::TLSM2(int level, std::int32_t capacity)
    : FBasis(level), FCapacity(std::max(capacity, 0)), FSamples(static_cast<std::size_t>(FCapacity) * FBasis.Count()),
      FWeights(FCapacity)
{
}

bool TLSM2::AddSample(double x, double y, double weight)
{
    if (FSampleCount >= FCapacity)
        return false;
    FBasis.Evaluate(x, y);
    std::copy_n(FBasis.Values(), FBasis.Count(),
                FSamples.begin() + static_cast<std::ptrdiff_t>(FSampleCount) * FBasis.Count());
    FWeights[FSampleCount] = weight;
    ++FSampleCount;
    return true;
}

bool TLSM2::Solve(const std::vector<double>& values, int channels, std::vector<double>& coefficients) const
{
    const int m = FunctionCount();
    coefficients.assign(static_cast<std::size_t>(m) * channels, 0.0);
    const std::int32_t n = FSampleCount;
    if (n < m || channels <= 0 || values.size() < static_cast<std::size_t>(n) * channels)
        return false;

    Eigen::Map<const TRowMatrix> samples(FSamples.data(), n, m);
    Eigen::Map<const TRowMatrix> rightSide(values.data(), n, channels);
    Eigen::Map<const Eigen::VectorXd> weights(FWeights.data(), n);
    const Eigen::MatrixXd design = weights.asDiagonal() * samples;
    const Eigen::MatrixXd weighted = weights.asDiagonal() * rightSide;

    Eigen::JacobiSVD<Eigen::MatrixXd> svd(design, Eigen::ComputeThinU | Eigen::ComputeThinV);
    svd.setThreshold(RelativeSingularThreshold);
    const Eigen::MatrixXd solution = svd.solve(weighted);
    if (!solution.allFinite())
        return false;
    for (int j = 0; j < m; ++j)
        for (int c = 0; c < channels; ++c)
            coefficients[static_cast<std::size_t>(j) * channels + c] = solution(j, c);
    return true;
}

double TLSM2::Evaluate(const std::vector<double>& coefficients, int channels, int channel, double x, double y)
{
    FBasis.Evaluate(x, y);
    const double* f = FBasis.Values();
    double sum = 0;
    for (int j = 0; j < FBasis.Count(); ++j)
        sum += coefficients[static_cast<std::size_t>(j) * channels + channel] * f[j];
    return sum;
}

// ---------------------------------------------------------------- TApproximation

TApproximation::TApproximation(std::int32_t capacity, int level)
    : FLsm(level, capacity), FCoefficients(FLsm.FunctionCount(), 0.0)
{
    FValues.reserve(FLsm.Capacity());
}

void TApproximation::AddSample(double value, double x, double y)
{
    if (FLsm.AddSample(x, y))
        FValues.push_back(value);
}

bool TApproximation::Solve()
{
    return FLsm.Solve(FValues, 1, FCoefficients);
}

double TApproximation::Evaluate(double x, double y)
{
    return FLsm.Evaluate(FCoefficients, 1, 0, x, y);
}

// ---------------------------------------------------------------- TApproximationBGR

TApproximationBGR::TApproximationBGR(std::int32_t capacity, int level)
    : FLsm(level, capacity), FCoefficients(static_cast<std::size_t>(FLsm.FunctionCount()) * 3, 0.0)
{
    FValues.reserve(static_cast<std::size_t>(FLsm.Capacity()) * 3);
}

void TApproximationBGR::AddSample(const TColorVector& values, double x, double y)
{
    if (FLsm.AddSample(x, y))
        FValues.insert(FValues.end(), values.begin(), values.end());
}

bool TApproximationBGR::Solve()
{
    return FLsm.Solve(FValues, 3, FCoefficients);
}

TColorVector TApproximationBGR::Evaluate(double x, double y)
{
    TColorVector result;
    for (int c = 0; c < 3; ++c)
        result[c] = FLsm.Evaluate(FCoefficients, 3, c, x, y);
    return result;
}
