// Content-aware width reduction by 20 %: the seam carving against liblqr, the reference
// seam-carving library, on the same generated photograph in the same run.
//
// liblqr is opened at run time (dlopen) so that nothing but this benchmark depends on it;
// without it the peer benchmarks report an error and the others still run.
// bench/seams/run-liblqr-peer.sh installs it and prints the figures side by side.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxBitmap.h"
#include "seams/SeemCurving.h"

#include "SeemBenchPicture.h"

namespace {

// The third argument of every benchmark: the generated picture, or a photograph that
// bench/seams/run-liblqr-peer.sh cuts to size into $VELLORIA_BENCH_PHOTOS/<w>x<h>.ppm.
enum TPictureSource : std::int64_t { psGenerated = 0, psPhotograph = 1 };

// One picture per size and source, shared by every benchmark that uses it; nullptr when
// the photograph is not there.
const TVxPixelBuffer* SourcePicture(std::int32_t width, std::int32_t height, std::int64_t source)
{
    struct TEntry {
        std::int32_t Width;
        std::int32_t Height;
        std::int64_t Source;
        std::unique_ptr<TVxPixelBuffer> Picture;
    };
    static std::vector<TEntry> cache;
    for (const TEntry& entry : cache)
        if (entry.Width == width && entry.Height == height && entry.Source == source)
            return entry.Picture.get();
    auto picture = std::make_unique<TVxPixelBuffer>(fmtBGR24, Bounds(0, 0, width, height));
    if (source == psPhotograph) {
        const char* folder = std::getenv("VELLORIA_BENCH_PHOTOS");
        const std::string path =
            std::string(folder ? folder : "") + "/" + std::to_string(width) + "x" + std::to_string(height) + ".ppm";
        if (!folder || !seambench::ReadPpm(path, picture->Data(), picture->Stride(), width, height))
            picture.reset();
    } else {
        seambench::PaintPhotoLike(picture->Data(), picture->Stride(), width, height);
    }
    cache.push_back({width, height, source, std::move(picture)});
    return cache.back().Picture.get();
}

// The picture a benchmark's arguments name, or nullptr after marking the run skipped.
const TVxPixelBuffer* SourcePicture(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const TVxPixelBuffer* picture = SourcePicture(width, height, state.range(2));
    if (!picture)
        state.SkipWithError("no photograph of this size: run bench/seams/run-liblqr-peer.sh");
    return picture;
}

std::int32_t TargetWidth(std::int32_t width)
{
    return width - width / 5;
}

void SetPictureCounters(benchmark::State& state, std::int32_t width, std::int32_t height)
{
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(width) * height * 3);
    state.counters["megapixels"] = static_cast<double>(width) * height / 1e6;
}

// Skeleton: the pixel moves alone, one straight seam after another, no search.
void BM_PixelMovesOnly(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const TVxPixelBuffer* source = SourcePicture(state);
    if (!source)
        return;
    TVxPixelBuffer work;
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(*source);
        state.ResumeTiming();
        const std::int32_t bx = SeemBlockSize(width);
        for (std::int32_t w = width; w - bx >= TargetWidth(width); w -= bx)
            for (std::int32_t y = 0; y < height; ++y)
                work.MoveRowRun(y, w / 2 + bx, w - w / 2 - bx, w / 2);
        benchmark::DoNotOptimize(work.Data());
    }
    SetPictureCounters(state, width, height);
}

// Grid setup alone: intensities, gradient and energy.
void BM_SeemSetup(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const TVxPixelBuffer* source = SourcePicture(state);
    if (!source)
        return;
    TVxPixelBuffer work;
    work.Assign(*source);
    for (auto _ : state) {
        TSeemCurving carving(work, {width, height});
        benchmark::DoNotOptimize(carving.Finder().ProtectionThreshold());
    }
    SetPictureCounters(state, width, height);
}

// The whole reduction as the smart resize tool runs it: 20 % of the width, or of the height.
void SeemCurvingReduce(benchmark::State& state, bool lower)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const TVxPixelBuffer* picture = SourcePicture(state);
    if (!picture)
        return;
    TVxPixelBuffer work;
    std::int32_t result = 0;
    std::int32_t seams = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(*picture);
        state.ResumeTiming();
        TSeemCurving carving(work, {width, height});
        if (lower) {
            carving.ResizeTo(width, TargetWidth(height));
            result = carving.Size().Height;
            seams = (height - result) / carving.BlockHeight();
        } else {
            carving.ResizeTo(TargetWidth(width), height);
            result = carving.Size().Width;
            seams = (width - result) / carving.BlockWidth();
        }
        benchmark::DoNotOptimize(work.Data());
    }
    SetPictureCounters(state, width, height);
    state.counters[lower ? "height_after" : "width_after"] = result;
    state.counters["seams"] = seams;
}

void BM_SeemCurvingReduceWidth(benchmark::State& state)
{
    SeemCurvingReduce(state, false);
}

void BM_SeemCurvingReduceHeight(benchmark::State& state)
{
    SeemCurvingReduce(state, true);
}

// liblqr's public interface, declared here as its header has it, opened at run time.
struct TLqr {
    using TNew = void* (*)(unsigned char*, int, int, int);
    using TInit = int (*)(void*, int, float);
    using TResize = int (*)(void*, int, int);
    using TDestroy = void (*)(void*);
    using TScanReset = void (*)(void*);
    using TScan = int (*)(void*, int*, int*, unsigned char**);
    using TMalloc = void* (*)(std::size_t);

    void* Library = nullptr;
    TNew New = nullptr;
    TInit Init = nullptr;
    TResize Resize = nullptr;
    TDestroy Destroy = nullptr;
    TScanReset ScanReset = nullptr;
    TScan Scan = nullptr;
    TMalloc Malloc = nullptr; // the carver frees its input with the matching g_free

    TLqr()
    {
        Library = dlopen("liblqr-1.so.0", RTLD_NOW);
        if (!Library)
            return;
        New = reinterpret_cast<TNew>(dlsym(Library, "lqr_carver_new"));
        Init = reinterpret_cast<TInit>(dlsym(Library, "lqr_carver_init"));
        Resize = reinterpret_cast<TResize>(dlsym(Library, "lqr_carver_resize"));
        Destroy = reinterpret_cast<TDestroy>(dlsym(Library, "lqr_carver_destroy"));
        ScanReset = reinterpret_cast<TScanReset>(dlsym(Library, "lqr_carver_scan_reset"));
        Scan = reinterpret_cast<TScan>(dlsym(Library, "lqr_carver_scan"));
        Malloc = reinterpret_cast<TMalloc>(dlsym(Library, "g_malloc"));
    }
    bool Ready() const { return New && Init && Resize && Destroy && ScanReset && Scan && Malloc; }
};

const TLqr& Lqr()
{
    static const TLqr lqr;
    return lqr;
}

constexpr int LqrOk = 1; // LQR_OK

// liblqr with its default settings (delta_x 1, rigidity 0, gradient energy) on one
// thread; the carved picture is read back so both sides end with pixels in memory.
void LiblqrReduce(benchmark::State& state, bool lower)
{
    const TLqr& lqr = Lqr();
    if (!lqr.Ready()) {
        state.SkipWithError("liblqr-1.so.0 not found: run bench/seams/run-liblqr-peer.sh");
        return;
    }
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const TVxPixelBuffer* picture = SourcePicture(state);
    if (!picture)
        return;
    const TVxPixelBuffer& source = *picture;
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 3;
    std::vector<unsigned char> rgb(bytes);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = source.PixelAddress(x, y);
            unsigned char* q = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    std::vector<unsigned char> result(bytes);
    const std::int32_t targetWidth = lower ? width : TargetWidth(width);
    const std::int32_t targetHeight = lower ? TargetWidth(height) : height;
    for (auto _ : state) {
        state.PauseTiming();
        auto* buffer = static_cast<unsigned char*>(lqr.Malloc(bytes));
        std::memcpy(buffer, rgb.data(), bytes);
        state.ResumeTiming();
        void* carver = lqr.New(buffer, width, height, 3);
        if (!carver || lqr.Init(carver, 1, 0.0f) != LqrOk || lqr.Resize(carver, targetWidth, targetHeight) != LqrOk) {
            state.SkipWithError("liblqr failed");
            break;
        }
        lqr.ScanReset(carver);
        int x = 0;
        int y = 0;
        unsigned char* pixel = nullptr;
        while (lqr.Scan(carver, &x, &y, &pixel))
            std::memcpy(&result[(static_cast<std::size_t>(y) * targetWidth + x) * 3], pixel, 3);
        lqr.Destroy(carver);
        benchmark::DoNotOptimize(result.data());
    }
    SetPictureCounters(state, width, height);
    state.counters[lower ? "height_after" : "width_after"] = lower ? targetHeight : targetWidth;
}

void BM_LiblqrReduceWidth(benchmark::State& state)
{
    LiblqrReduce(state, false);
}

void BM_LiblqrReduceHeight(benchmark::State& state)
{
    LiblqrReduce(state, true);
}

// 2 megapixels (1732 x 1155, one-pixel blocks), 12 megapixels (4000 x 3000, 3 x 2 blocks)
// and an awkward size, generated; the first two also as photographs.
void PictureSizes(benchmark::internal::Benchmark* b)
{
    b->Args({1732, 1155, psGenerated})->Args({4000, 3000, psGenerated})->Args({1021, 1084, psGenerated});
    b->Args({1732, 1155, psPhotograph})->Args({4000, 3000, psPhotograph});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_PixelMovesOnly)->Apply(PictureSizes)->Iterations(3);
BENCHMARK(BM_SeemSetup)->Apply(PictureSizes);
BENCHMARK(BM_SeemCurvingReduceWidth)->Apply(PictureSizes)->Iterations(3);
BENCHMARK(BM_LiblqrReduceWidth)->Apply(PictureSizes)->Iterations(1);

// Heights at 2 megapixels only.
void HeightSizes(benchmark::internal::Benchmark* b)
{
    b->Args({1732, 1155, psGenerated})->Args({1732, 1155, psPhotograph});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_SeemCurvingReduceHeight)->Apply(HeightSizes)->Iterations(3);
BENCHMARK(BM_LiblqrReduceHeight)->Apply(HeightSizes)->Iterations(1);

} // namespace
