// The colour-correction fit of one pointer move (the ring of a 100-pixel round brush,
// three channels, basis 1, x, y, x*y) solved by the engine's Eigen-based TApproximationBGR
// and by ALGLIB's lsfitlinearw, the library the fit was first written against. Built and
// run by run_alglib_peer.sh; it also prints how far the two solutions lie apart.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "interpolation.h"

#include "inpainting/Approximation.h"

namespace {

struct TSample {
    double X, Y;
    double Values[3];
};

// The ring of a round brush of side 100: cells of the disc with a neighbour outside it,
// and a smooth, noisy difference per channel as the tool measures between two patches.
const std::vector<TSample>& Ring()
{
    static const std::vector<TSample> ring = [] {
        std::vector<TSample> samples;
        const int side = 100;
        const double centre = (side - 1) / 2.0, radius = side / 2.0;
        const auto inside = [&](int a, int b) {
            return a >= 0 && b >= 0 && a < side && b < side &&
                   (a - centre) * (a - centre) + (b - centre) * (b - centre) <= radius * radius;
        };
        std::uint32_t grain = 777;
        for (int a = 0; a < side; ++a) {
            for (int b = 0; b < side; ++b) {
                if (!inside(a, b))
                    continue;
                bool edge = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        edge = edge || !inside(a + dx, b + dy);
                if (!edge)
                    continue;
                TSample s{double(a), double(b), {}};
                for (int c = 0; c < 3; ++c) {
                    grain = grain * 1664525u + 1013904223u;
                    s.Values[c] = 10 + 0.2 * a - 0.1 * b * (c + 1) + 0.001 * a * b + double((grain >> 24) % 9) - 4;
                }
                samples.push_back(s);
            }
        }
        return samples;
    }();
    return ring;
}

void FillAlglib(alglib::real_2d_array& basis, alglib::real_1d_array& weights, alglib::real_1d_array values[3])
{
    const auto& ring = Ring();
    const int n = static_cast<int>(ring.size());
    basis.setlength(n, 4);
    weights.setlength(n);
    for (int c = 0; c < 3; ++c)
        values[c].setlength(n);
    for (int i = 0; i < n; ++i) {
        basis(i, 0) = 1;
        basis(i, 1) = ring[i].X;
        basis(i, 2) = ring[i].Y;
        basis(i, 3) = ring[i].X * ring[i].Y;
        weights(i) = 1;
        for (int c = 0; c < 3; ++c)
            values[c](i) = ring[i].Values[c];
    }
}

void BM_EngineFit(benchmark::State& state)
{
    const auto& ring = Ring();
    for (auto _ : state) {
        TApproximationBGR fit(static_cast<std::int32_t>(ring.size()), 2);
        for (const TSample& s : ring)
            fit.AddSample({s.Values[0], s.Values[1], s.Values[2]}, s.X, s.Y);
        benchmark::DoNotOptimize(fit.Solve());
        benchmark::DoNotOptimize(fit.Evaluate(50, 50));
    }
    state.counters["samples"] = static_cast<double>(ring.size());
}

// The same problem through Eigen's divide-and-conquer SVD, which Eigen itself hands to
// the Jacobi method for matrices this narrow.
void BM_EigenBdcsvd(benchmark::State& state)
{
    const auto& ring = Ring();
    for (auto _ : state) {
        Eigen::MatrixXd a(ring.size(), 4), b(ring.size(), 3);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            a.row(i) << 1, ring[i].X, ring[i].Y, ring[i].X * ring[i].Y;
            b.row(i) << ring[i].Values[0], ring[i].Values[1], ring[i].Values[2];
        }
        Eigen::BDCSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
        Eigen::MatrixXd c = svd.solve(b);
        benchmark::DoNotOptimize(c.data());
    }
    state.counters["samples"] = static_cast<double>(ring.size());
}

// One lsfitlinearw call per channel, the matrix filled as the fit's own rows are.
void BM_AlglibLsfitlinearw(benchmark::State& state)
{
    for (auto _ : state) {
        alglib::real_2d_array basis;
        alglib::real_1d_array weights, values[3];
        FillAlglib(basis, weights, values);
        for (int c = 0; c < 3; ++c) {
            alglib::ae_int_t info = 0;
            alglib::real_1d_array coefficients;
            alglib::lsfitreport report;
            alglib::lsfitlinearw(values[c], weights, basis, info, coefficients, report);
            benchmark::DoNotOptimize(coefficients(0));
        }
    }
    state.counters["samples"] = static_cast<double>(Ring().size());
}

void ReportAgreement()
{
    const auto& ring = Ring();
    TApproximationBGR fit(static_cast<std::int32_t>(ring.size()), 2);
    for (const TSample& s : ring)
        fit.AddSample({s.Values[0], s.Values[1], s.Values[2]}, s.X, s.Y);
    fit.Solve();
    alglib::real_2d_array basis;
    alglib::real_1d_array weights, values[3];
    FillAlglib(basis, weights, values);
    double worst = 0;
    for (int c = 0; c < 3; ++c) {
        alglib::ae_int_t info = 0;
        alglib::real_1d_array k;
        alglib::lsfitreport report;
        alglib::lsfitlinearw(values[c], weights, basis, info, k, report);
        for (int x = 0; x < 100; x += 9)
            for (int y = 0; y < 100; y += 9)
                worst = std::max(worst, std::abs(fit.Evaluate(x, y)[c] - (k(0) + k(1) * x + k(2) * y + k(3) * x * y)));
    }
    std::printf("ring samples %zu; largest difference of the corrections (engine vs ALGLIB) over the square: %.3g\n",
                ring.size(), worst);
}

} // namespace

BENCHMARK(BM_EngineFit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EigenBdcsvd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlglibLsfitlinearw)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    ReportAgreement();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
