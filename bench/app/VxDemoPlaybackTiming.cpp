// How long lesson moves of 500 pixels really take on this system, against the figures the
// lessons are written for: 2000 ms at the default speed, 1000 ms at speed 10. Each move
// is played by the real ticker thread and pointer, ten times; the median is printed with
// its difference in percent (goal: within 5 %). Google Benchmark is not built for MinGW
// here, so this is a small timing program.
//
// Run (not part of the tests; the machine should be otherwise idle):
//   scripts/build.sh win64 VxDemoPlaybackTiming
//   . scripts/common.sh; wine_session build/win64; "$WINE" build/win64/tests/app/VxDemoPlaybackTiming.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/VxDemoWin32Platform.h"
#include "demo/VxDemoPlayback.h"

namespace {

double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The MARK commands just before and after the move time it from inside the lesson.
double TimeOneMove(int speed)
{
    TVxDemoWin32Platform platform;
    TVxDemoPlayback playback(platform);
    platform.SetTick([&] { return playback.Tick(); });
    std::vector<double> marks;
    bool finished = false;
    playback.OnUserCommand = [&](TVxDemoPlayback&, const std::string&, bool& handled, TVxDemoScriptMacroAction&,
                                 const TVxDemoScriptParams&) {
        marks.push_back(Now());
        handled = true;
    };
    playback.OnFinish = [&](TVxDemoPlayback&) { finished = true; };
    TVxDemoScript script;
    script.LoadFromBytes("[Script]\nMouseSpeed " + std::to_string(speed) + "\nMouseTo 100, 100\nMark\n" +
                         "MouseMove 600, 100\nMark\n");
    playback.SetScript(script);
    playback.Play(0);
    while (!finished) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    return marks.size() == 2 ? marks[1] - marks[0] : -1;
}

void Measure(int speed, double expectedMs)
{
    std::vector<double> times;
    for (int run = 0; run < 10; ++run)
        times.push_back(TimeOneMove(speed));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("500 px at speed %-5d median %8.1f ms  (expected %6.0f ms, %+5.1f %%)  min %8.1f  max %8.1f\n", speed,
                median, expectedMs, 100.0 * (median - expectedMs) / expectedMs, times.front(), times.back());
}

}  // namespace

int wmain()
{
    Measure(5, 2000);
    Measure(10, 1000);
    return 0;
}
