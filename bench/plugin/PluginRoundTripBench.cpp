// The plug-in's own share of a round trip, beside a plain copy of the same bytes: write
// the host's rectangle into the exchange file, read the main program's result back and
// copy it into the host's output buffer. The main program's load and save are not
// counted. Goal: under three times the plain copy.
//
// Run (not part of the tests; the machine should be otherwise idle):
//   scripts/build.sh native PluginRoundTripBench
//   build/native/bench/PluginRoundTripBench --benchmark_counters_tabular=true
//
// Sizes: 24 megapixels (6000 x 4000) and an awkward 1021 x 1084, with three planes
// (flat image) and four (a layer with transparency). The "mapped" variants go through a
// real file mapped into memory, as the plug-in does; the others through memory only, to
// show what the file system adds.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "exchange/VxExchange.h"

namespace {

struct THost {
    TExchangeHostImage Image;
    std::vector<std::uint8_t> Input;
    std::vector<std::uint8_t> Output;
    std::vector<std::uint8_t> Result; // the main program's write-back, made once

    THost(std::int32_t width, std::int32_t height, std::int32_t planes)
        : Image{ExchangeModeRGB, 0, 0, width, height, planes, width * planes},
          Input(std::size_t(width) * std::size_t(planes) * std::size_t(height)), Output(Input.size())
    {
        for (std::size_t i = 0; i < Input.size(); ++i)
            Input[i] = static_cast<std::uint8_t>(i * 7 + (i >> 11));
        // The main program writes three planes with rows rounded up to four bytes.
        const std::int32_t stride = (width * 3 + 3) & ~3;
        Result.assign(ExchangeRowsOffset + std::size_t(stride) * std::size_t(height), 0);
        TExchangeHeader header;
        header.Width = width;
        header.Height = height;
        header.RowBytes = stride;
        header.Planes = 3;
        WriteExchangeHeader(Result, header);
    }
    std::size_t Bytes() const { return Input.size(); }
};

// A file of the given size mapped shared, unmapped and removed at the end.
class TMappedFile {
public:
    explicit TMappedFile(std::size_t size) : FSize(size)
    {
        char name[] = "/tmp/vx-roundtrip-XXXXXX";
        FFile = mkstemp(name);
        unlink(name);
        if (FFile < 0 || ftruncate(FFile, static_cast<off_t>(size)) != 0)
            std::abort();
        void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, FFile, 0);
        if (view == MAP_FAILED)
            std::abort();
        FView = static_cast<std::uint8_t*>(view);
    }
    ~TMappedFile()
    {
        munmap(FView, FSize);
        close(FFile);
    }
    std::span<std::uint8_t> Bytes() const { return {FView, FSize}; }

private:
    std::size_t FSize;
    int FFile = -1;
    std::uint8_t* FView = nullptr;
};

void SetUp(benchmark::State& state, const THost& host)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(host.Bytes()));
    state.counters["MB"] = static_cast<double>(host.Bytes()) / 1e6;
}

// The peer: one plain copy of the host's bytes (the round trip copies them twice, out
// and back, so about two copies' time is what it cannot go below).
void BM_MemoryCopy(benchmark::State& state)
{
    THost host(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)),
               static_cast<std::int32_t>(state.range(2)));
    for (auto _ : state) {
        std::memcpy(host.Output.data(), host.Input.data(), host.Bytes());
        benchmark::DoNotOptimize(host.Output.data());
        benchmark::ClobberMemory();
    }
    SetUp(state, host);
}

// Nothing but the loop, to show its own cost.
void BM_Skeleton(benchmark::State& state)
{
    THost host(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)),
               static_cast<std::int32_t>(state.range(2)));
    for (auto _ : state)
        benchmark::DoNotOptimize(host.Output.data());
    SetUp(state, host);
}

void BM_RoundTripInMemory(benchmark::State& state)
{
    THost host(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)),
               static_cast<std::int32_t>(state.range(2)));
    std::vector<std::uint8_t> file(*PluginExchangeSize(host.Image));
    for (auto _ : state) {
        PluginWriteExchange(file, host.Image, host.Input.data());
        if (PluginReadBack(host.Result, host.Image, host.Output.data()) != TExchangeReadBack::Copied)
            state.SkipWithError("result not taken back");
        benchmark::DoNotOptimize(host.Output.data());
        benchmark::ClobberMemory();
    }
    SetUp(state, host);
}

void BM_RoundTripMapped(benchmark::State& state)
{
    THost host(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)),
               static_cast<std::int32_t>(state.range(2)));
    for (auto _ : state) {
        {
            TMappedFile out(*PluginExchangeSize(host.Image));
            PluginWriteExchange(out.Bytes(), host.Image, host.Input.data());
        }
        TMappedFile back(host.Result.size());
        state.PauseTiming(); // the main program's write-back is not the plug-in's work
        std::memcpy(back.Bytes().data(), host.Result.data(), host.Result.size());
        state.ResumeTiming();
        if (PluginReadBack(back.Bytes(), host.Image, host.Output.data()) != TExchangeReadBack::Copied)
            state.SkipWithError("result not taken back");
        benchmark::DoNotOptimize(host.Output.data());
        benchmark::ClobberMemory();
    }
    SetUp(state, host);
}

#define VX_SIZES ->Args({6000, 4000, 3})->Args({6000, 4000, 4})->Args({1021, 1084, 3})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Skeleton) VX_SIZES;
BENCHMARK(BM_MemoryCopy) VX_SIZES;
BENCHMARK(BM_RoundTripInMemory) VX_SIZES;
BENCHMARK(BM_RoundTripMapped) VX_SIZES->UseRealTime();

} // namespace
