#pragma once
// Weighted linear least squares over a small two-dimensional polynomial basis, used to
// fit a smooth colour correction through the differences measured on a ring of cells.
//
//   TApproximationBGR fit(ringSize, 2);            // basis 1, x, y, x*y
//   for (...) fit.AddSample({db, dg, dr}, x, y);
//   fit.Solve();                                   // false: too few samples, all zero
//   TColorVector correction = fit.Evaluate(x, y);
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"

// The polynomial basis of a level: 0..5 give 1, 3, 4, 6, 8, 10 functions, in the order
// 1; x, y; x*y; x^2, y^2; x^2*y, x*y^2; x^3, y^3.
class TArgumentTransfer {
public:
    static constexpr int MaxLevel = 5;
    static constexpr int MaxFunctions = 10;

    // Levels outside 0..MaxLevel are clamped into it.
    explicit TArgumentTransfer(int level);

    int Level() const { return FLevel; }
    int Count() const { return FCount; }
    static int FunctionCount(int level);

    // Fills Values() with every basis function at (x, y).
    void Evaluate(double x, double y);
    const double* Values() const { return FValues.data(); }

private:
    int FLevel;
    int FCount;
    std::array<double, MaxFunctions> FValues{};
};

// The sample matrix (one basis row per sample), a weight per sample and the fit.
class TLSM2 {
public:
    TLSM2(int level, std::int32_t capacity);

    int FunctionCount() const { return FBasis.Count(); }
    std::int32_t Capacity() const { return FCapacity; }
    std::int32_t SampleCount() const { return FSampleCount; }

    // False when the capacity is full and the sample is ignored.
    bool AddSample(double x, double y, double weight = 1.0);

    // Minimises sum of w_k^2 (values(k, c) - sum_j coefficients(j, c) f_j(x_k, y_k))^2
    // for each of `channels` columns of row-major values (SampleCount() x channels);
    // coefficients get FunctionCount() x channels entries, row-major. False, with all
    // coefficients 0, when there are fewer samples than basis functions.
    bool Solve(const std::vector<double>& values, int channels, std::vector<double>& coefficients) const;

    // Sum_j coefficients(j, channel) f_j(x, y), summed in basis order.
    double Evaluate(const std::vector<double>& coefficients, int channels, int channel, double x, double y);

private:
    TArgumentTransfer FBasis;
    std::int32_t FCapacity;
    std::int32_t FSampleCount = 0;
    std::vector<double> FSamples; // row-major, FCapacity x FunctionCount()
    std::vector<double> FWeights;
};

class TApproximation {
public:
    // capacity: the number of samples that will be added (the ring size).
    TApproximation(std::int32_t capacity, int level);

    void AddSample(double value, double x, double y);
    bool Solve();
    double Evaluate(double x, double y);

private:
    TLSM2 FLsm;
    std::vector<double> FValues;
    std::vector<double> FCoefficients;
};

// Three channels (blue, green, red) fitted over one shared basis.
class TApproximationBGR {
public:
    TApproximationBGR(std::int32_t capacity, int level);

    void AddSample(const TColorVector& values, double x, double y);
    bool Solve();
    TColorVector Evaluate(double x, double y);

private:
    TLSM2 FLsm;
    std::vector<double> FValues; // row-major, samples x 3
    std::vector<double> FCoefficients;
};
