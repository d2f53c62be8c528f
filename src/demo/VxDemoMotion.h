#pragma once
// The arithmetic of lesson playback, apart from the platform: how long a pointer move
// takes and where the pointer is at each moment, how long a pause lasts, which speeds are
// accepted, where a balloon goes, and the nestable pause of a running lesson.
//
// Times are the system's millisecond tick counter (32 bits, wrapping); differences are
// taken modulo 2^32 so a lesson running across the wrap does not jump.
#include <array>
#include <cstdint>
#include <optional>

struct TVxDemoPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TVxDemoPoint&) const = default;
};

// The pointer needs 20 / speed milliseconds per pixel of straight distance.
inline constexpr std::uint16_t DefaultDemoMouseSpeed = 5;

// Speeds 1..65535; anything else (0, 65536, 0.4, a string) leaves the speed as it was.
std::optional<std::uint16_t> AcceptDemoMouseSpeed(std::optional<double> value);
// round(seconds × 1000), or fallbackMs without a number; clamped to what 64 bits hold.
std::int64_t DemoPauseDurationMs(std::optional<double> seconds, std::int64_t fallbackMs);
// round(distance × 20 / speed), ties to even.
std::int64_t DemoMoveDurationMs(double distance, std::uint16_t speed);

class TVxDemoMoveMotion {
public:
    // curveFactor 0 moves straight; the curved move uses 3. A move of length 0, or one
    // whose duration rounds to 0 ms or less, is finished at once.
    void Begin(TVxDemoPoint start, TVxDemoPoint target, std::uint16_t speed, double curveFactor, std::uint32_t now);
    // The pointer position for this moment; the target once the move has finished.
    TVxDemoPoint Step(std::uint32_t now);
    // Time spent paused does not count.
    void Resume(std::uint32_t now) { FLastTick = now; }
    bool IsFinished() const { return FFinished; }
    std::int64_t DurationMs() const { return FDuration; }
    // The position at fraction f (0..1) of the duration, eased in and out.
    TVxDemoPoint PositionAt(double fraction) const;

private:
    TVxDemoPoint FStart;
    TVxDemoPoint FTarget;
    double FDx = 0;
    double FDy = 0;
    double FDistance = 0;
    double FCurveFactor = 0;
    std::int64_t FDuration = 0;
    std::int64_t FElapsed = 0;
    std::uint32_t FLastTick = 0;
    bool FFinished = true;
};

class TVxDemoPauseTimer {
public:
    void Begin(std::int64_t durationMs, std::uint32_t now);
    void Step(std::uint32_t now);
    void Resume(std::uint32_t now) { FLastTick = now; }
    // Ends an empty message at once.
    void Finish() { FElapsed = FDuration; }
    bool IsFinished() const { return FElapsed >= FDuration; }
    std::int64_t DurationMs() const { return FDuration; }

private:
    std::int64_t FDuration = 0;
    std::int64_t FElapsed = 0;
    std::uint32_t FLastTick = 0;
};

// Balloon positions: 1 below right of the anchor, 2 below left, 3 above right, 4 above left.
struct TVxBalloonLayout {
    int Position = 0;
    int BodyWidth = 0;
    int BodyHeight = 0;
    int WindowHeight = 0;
    std::array<TVxDemoPoint, 3> Tail;  // in window coordinates, after the region shift
    TVxDemoPoint Tip;
    int RegionShiftY = 0;               // the body is moved down this much when the tail points up
    TVxDemoPoint TextOffset;            // of the measured text rectangle
    TVxDemoPoint WindowOrigin;          // screen point of the window's top left corner
};

int ChooseBalloonPosition(TVxDemoPoint anchor, int screenWidth, int screenHeight);
TVxBalloonLayout LayoutBalloon(TVxDemoPoint anchor, int textWidth, int textHeight, int position, int screenWidth,
                               int screenHeight);

enum class TVxDemoState : std::uint8_t { dsIdle, dsPlaying, dsPaused, dsStopped, dsRecording };

// The lesson's state with its pause depth: each Pause must be matched by one Resume, and
// only the last Resume continues the lesson. The depth starts again at 0 on Play and when
// an error or the user stops the lesson, so that a lesson stopped while paused does not
// leave the next one paused for good, and Resume never takes it below 0.
class TVxDemoPauseState {
public:
    TVxDemoState State() const { return FState; }
    int Depth() const { return FDepth; }
    bool IsActive() const { return FState == TVxDemoState::dsPlaying || FState == TVxDemoState::dsPaused; }

    void Play();
    void Stop();
    void Finish();
    void StartRecording() { FState = TVxDemoState::dsRecording; }
    // True when this call paused a playing lesson (the action and listeners are told).
    bool Pause();
    // True when this call continued the lesson.
    bool Resume();

private:
    TVxDemoState FState = TVxDemoState::dsIdle;
    int FDepth = 0;
};
