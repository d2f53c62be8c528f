// A segmentation run as the separation tool performs it (no view attached), on a
// photograph-like picture with a fixed script of object and background strokes.
//
// With VELLORIA_SEPARATION_EXPORT=<folder> the 12-megapixel scene is also written as
// picture.ppm, strokes.pgm (0 unmarked, 1 object, 2 background) and, after the first run,
// growcut.pgm (the decided label per pixel), for run-grabcut-peer.sh and its GrabCut peer.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxBitmap.h"
#include "separation/GrowCut.h"

namespace {

struct TScene {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Bgr;     // rows top-down, 3 bytes a pixel, no padding
    std::vector<std::uint8_t> Strokes; // rows top-down: 0 unmarked, 1 object, 2 background
};

std::uint8_t Channel(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A sky above a textured ground, an elliptic shaded object with a dark rim and stripes,
// a distracting box in the background, and a little noise everywhere.
void PaintScene(TScene& scene)
{
    const std::int32_t w = scene.Width, h = scene.Height;
    scene.Bgr.resize(static_cast<std::size_t>(w) * h * 3);
    const double cx = w * 0.5, cy = h * 0.55, rx = w * 0.22, ry = h * 0.3;
    std::uint32_t seed = 20240611u;
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = scene.Bgr.data() + static_cast<std::size_t>(y) * w * 3;
        for (std::int32_t x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 13) - 6;
            const double fy = static_cast<double>(y) / h, fx = static_cast<double>(x) / w;
            int b, g, r;
            if (fy < 0.45) { // sky
                b = 230 - static_cast<int>(fy * 120);
                g = 190 - static_cast<int>(fy * 60);
                r = 150 + static_cast<int>(fx * 40);
            } else { // ground with a coarse texture
                const int texture = static_cast<int>(18 * std::sin(x * 0.05) * std::cos(y * 0.07));
                b = 60 + texture;
                g = 120 + texture + static_cast<int>(fy * 40);
                r = 80 + texture / 2;
            }
            if (fx > 0.78 && fx < 0.9 && fy > 0.2 && fy < 0.5) { // a box in the background
                b = 70;
                g = 60;
                r = 170;
            }
            const double ex = (x - cx) / rx, ey = (y - cy) / ry, e = std::sqrt(ex * ex + ey * ey);
            if (e < 1.0) {
                const int shade = static_cast<int>(60 * e);
                const int stripe = ((x + y) / 23) % 2 ? 14 : 0;
                b = 50 + shade + stripe;
                g = 70 + shade / 2;
                r = 190 - shade + stripe;
            } else if (e < 1.0 + 6.0 / rx) {
                b = g = r = 35;
            }
            row[3 * x] = Channel(b + noise);
            row[3 * x + 1] = Channel(g + noise);
            row[3 * x + 2] = Channel(r + noise);
        }
    }
}

void Stroke(TScene& scene, double x0, double y0, double x1, double y1, std::uint8_t label, std::int32_t radius)
{
    const std::int32_t w = scene.Width, h = scene.Height;
    const double dx = (x1 - x0) * w, dy = (y1 - y0) * h;
    const std::int32_t steps = static_cast<std::int32_t>(std::max(std::abs(dx), std::abs(dy)));
    for (std::int32_t i = 0; i <= steps; ++i) {
        const std::int32_t px = static_cast<std::int32_t>(x0 * w + (steps ? dx * i / steps : 0));
        const std::int32_t py = static_cast<std::int32_t>(y0 * h + (steps ? dy * i / steps : 0));
        for (std::int32_t y = std::max(0, py - radius); y <= std::min(h - 1, py + radius); ++y)
            for (std::int32_t x = std::max(0, px - radius); x <= std::min(w - 1, px + radius); ++x)
                if ((x - px) * (x - px) + (y - py) * (y - py) <= radius * radius)
                    scene.Strokes[static_cast<std::size_t>(y) * w + x] = label;
    }
}

// The fixed stroke script, in fractions of the picture so every size gets the same one.
void DrawStrokes(TScene& scene)
{
    scene.Strokes.assign(static_cast<std::size_t>(scene.Width) * scene.Height, 0);
    const std::int32_t radius = std::max(2, scene.Width / 400);
    Stroke(scene, 0.40, 0.55, 0.60, 0.55, 1, radius); // across the object
    Stroke(scene, 0.50, 0.35, 0.50, 0.78, 1, radius);
    Stroke(scene, 0.42, 0.42, 0.58, 0.70, 1, radius);
    Stroke(scene, 0.03, 0.04, 0.97, 0.04, 2, radius); // a frame around it
    Stroke(scene, 0.97, 0.04, 0.97, 0.96, 2, radius);
    Stroke(scene, 0.97, 0.96, 0.03, 0.96, 2, radius);
    Stroke(scene, 0.03, 0.96, 0.03, 0.04, 2, radius);
    Stroke(scene, 0.15, 0.30, 0.22, 0.80, 2, radius); // inside the background
    Stroke(scene, 0.80, 0.30, 0.88, 0.45, 2, radius);
    Stroke(scene, 0.20, 0.90, 0.80, 0.90, 2, radius);
}

const TScene& Scene(std::int32_t width, std::int32_t height)
{
    static std::map<std::pair<std::int32_t, std::int32_t>, std::unique_ptr<TScene>> scenes;
    std::unique_ptr<TScene>& scene = scenes[{width, height}];
    if (!scene) {
        scene = std::make_unique<TScene>();
        scene->Width = width;
        scene->Height = height;
        PaintScene(*scene);
        DrawStrokes(*scene);
    }
    return *scene;
}

// The document picture and the region with the tool's display kinds and the strokes.
struct TSetup {
    explicit TSetup(const TScene& scene) : Image(fmtBGR24, TRect{0, 0, scene.Width, scene.Height})
    {
        for (std::int32_t y = 0; y < scene.Height; ++y)
            std::memcpy(Image.Row(y), scene.Bgr.data() + static_cast<std::size_t>(y) * scene.Width * 3,
                        static_cast<std::size_t>(scene.Width) * 3);
        for (auto [label, kind] : {std::pair{1, 22}, std::pair{2, 21}, std::pair{3, 24}, std::pair{6, 12},
                                   std::pair{7, 26}, std::pair{8, 25}})
            Region.SetKind(static_cast<std::uint8_t>(label), static_cast<std::uint8_t>(kind));
        Region.Attach(Image);
        for (std::int32_t y = 0; y < scene.Height; ++y)
            for (std::int32_t x = 0; x < scene.Width; ++x)
                if (const std::uint8_t label = scene.Strokes[static_cast<std::size_t>(y) * scene.Width + x])
                    Region.SetLabel(x, y, label);
    }
    TVxPixelBuffer Image;
    TMarkedRegion Region;
};

void Export(const TScene& scene, const TMarkedRegion* result)
{
    const char* folder = std::getenv("VELLORIA_SEPARATION_EXPORT");
    if (!folder || scene.Width != 4000)
        return;
    const std::filesystem::path path(folder);
    std::filesystem::create_directories(path);
    if (!result) {
        std::ofstream ppm(path / "picture.ppm", std::ios::binary);
        ppm << "P6\n" << scene.Width << " " << scene.Height << "\n255\n";
        std::vector<std::uint8_t> rgb(scene.Bgr.size());
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = scene.Bgr[i + 2];
            rgb[i + 1] = scene.Bgr[i + 1];
            rgb[i + 2] = scene.Bgr[i];
        }
        ppm.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
        std::ofstream pgm(path / "strokes.pgm", std::ios::binary);
        pgm << "P5\n" << scene.Width << " " << scene.Height << "\n255\n";
        pgm.write(reinterpret_cast<const char*>(scene.Strokes.data()),
                  static_cast<std::streamsize>(scene.Strokes.size()));
        return;
    }
    std::vector<std::uint8_t> labels(static_cast<std::size_t>(scene.Width) * scene.Height);
    for (std::int32_t y = 0; y < scene.Height; ++y)
        for (std::int32_t x = 0; x < scene.Width; ++x)
            labels[static_cast<std::size_t>(y) * scene.Width + x] = result->SavedLabelAt(x, y);
    std::ofstream pgm(path / "growcut.pgm", std::ios::binary);
    pgm << "P5\n" << scene.Width << " " << scene.Height << "\n255\n";
    pgm.write(reinterpret_cast<const char*>(labels.data()), static_cast<std::streamsize>(labels.size()));
}

// Skeleton: what every run below pays outside its timing (picture copy, region, strokes).
void BM_SetupOnly(benchmark::State& state)
{
    const TScene& scene = Scene(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state) {
        TSetup setup(scene);
        benchmark::DoNotOptimize(setup.Region.Count(1));
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(scene.Width) * scene.Height,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// Cell grid, edge weights and the initial front.
void BM_GrowCutBuild(benchmark::State& state)
{
    const TScene& scene = Scene(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    TSetup setup(scene);
    for (auto _ : state) {
        auto growCut = std::make_unique<TGrowCut>();
        benchmark::DoNotOptimize(growCut->Build(setup.Region));
        state.PauseTiming();
        growCut.reset(); // the write-back of saved labels is part of the run, not of the build
        state.ResumeTiming();
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(scene.Width) * scene.Height,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SegmentationRun(benchmark::State& state)
{
    const TScene& scene = Scene(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    Export(scene, nullptr);
    std::int64_t commits = 0, rounds = 0;
    bool exported = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto setup = std::make_unique<TSetup>(scene);
        state.ResumeTiming();
        const TSegmentationResult result = RunSegmentation(setup->Region);
        state.PauseTiming();
        if (result.Outcome != TSegmentationOutcome::soCompleted)
            state.SkipWithError("the run did not complete");
        commits += result.Commits;
        rounds += result.Rounds;
        if (!exported)
            Export(scene, &setup->Region);
        exported = true;
        setup.reset();
        state.ResumeTiming();
    }
    const double pixels = static_cast<double>(scene.Width) * scene.Height;
    state.counters["pixels/s"] = benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["swept/s"] = benchmark::Counter(static_cast<double>(commits), benchmark::Counter::kIsRate);
    state.counters["rounds"] = benchmark::Counter(static_cast<double>(rounds), benchmark::Counter::kAvgIterations);
    state.counters["swept"] = benchmark::Counter(static_cast<double>(commits), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_SetupOnly)->Args({4000, 3000})->Args({1021, 1084})->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GrowCutBuild)->Args({4000, 3000})->Args({1021, 1084})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SegmentationRun)->Args({4000, 3000})->Args({1021, 1084})->Unit(benchmark::kMillisecond)->Iterations(3);
