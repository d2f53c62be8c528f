#include "demo/VxDemoMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Lesson coordinates are outside data: absurd ones are pinned to what a point can hold.
std::int32_t ClampToInt32(double value)
{
    if (!(value >= INT32_MIN))
        return INT32_MIN;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

std::int64_t ClampToInt64(double value)
{
    constexpr double limit = 9.2e18;  // below 2^63, exactly representable
    return static_cast<std::int64_t>(std::clamp(value, -limit, limit));
}

double EaseInOut(double f)
{
    return f < 0.5 ? 2 * f * f : 1 - 2 * (1 - f) * (1 - f);
}

}  // namespace

std::optional<std::uint16_t> AcceptDemoMouseSpeed(std::optional<double> value)
{
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (!(rounded >= 1 && rounded <= 65535))
        return std::nullopt;
    return static_cast<std::uint16_t>(rounded);
}

std::int64_t DemoPauseDurationMs(std::optional<double> seconds, std::int64_t fallbackMs)
{
    if (!seconds || !std::isfinite(*seconds))
        return fallbackMs;
    return ClampToInt64(std::nearbyint(*seconds * 1000));
}

std::int64_t DemoMoveDurationMs(double distance, std::uint16_t speed)
{
    if (speed == 0 || !std::isfinite(distance))
        return 0;
    return ClampToInt64(std::nearbyint(distance * 20 / speed));
}

void TVxDemoMoveMotion::Begin(TVxDemoPoint start, TVxDemoPoint target, std::uint16_t speed, double curveFactor,
                              std::uint32_t now)
{
    FStart = start;
    FTarget = target;
    FDx = static_cast<double>(target.X) - start.X;
    FDy = static_cast<double>(target.Y) - start.Y;
    FDistance = std::sqrt(FDx * FDx + FDy * FDy);
    FCurveFactor = curveFactor;
    FElapsed = 0;
    FLastTick = now;
    FDuration = FDistance == 0 ? 0 : DemoMoveDurationMs(FDistance, speed);
    FFinished = FDuration <= 0;
}

TVxDemoPoint TVxDemoMoveMotion::PositionAt(double fraction) const
{
    const double e = EaseInOut(fraction);
    double offsetX = 0;
    double offsetY = 0;
    if (FCurveFactor != 0 && FDx != 0 && FDy != 0) {
        const double a = std::min(std::abs(FDx), std::abs(FDy)) / FCurveFactor;
        const double s = std::sin(std::numbers::pi * e) * a / FDistance;
        offsetX = s * FDy;
        offsetY = s * FDx;
    }
    return {ClampToInt32(std::nearbyint(FDx * e + offsetX) + FStart.X),
            ClampToInt32(std::nearbyint(FDy * e + offsetY) + FStart.Y)};
}

TVxDemoPoint TVxDemoMoveMotion::Step(std::uint32_t now)
{
    if (FFinished)
        return FTarget;
    const std::uint32_t n = now - FLastTick;
    const double f = static_cast<double>(FElapsed + n) / static_cast<double>(FDuration);
    if (f >= 1) {
        FFinished = true;
        return FTarget;
    }
    FElapsed += n;
    FLastTick += n;
    return PositionAt(f);
}

void TVxDemoPauseTimer::Begin(std::int64_t durationMs, std::uint32_t now)
{
    FDuration = durationMs;
    FElapsed = 0;
    FLastTick = now;
}

void TVxDemoPauseTimer::Step(std::uint32_t now)
{
    if (IsFinished())
        return;
    FElapsed += static_cast<std::uint32_t>(now - FLastTick);
    FLastTick = now;
}

int ChooseBalloonPosition(TVxDemoPoint anchor, int screenWidth, int screenHeight)
{
    int position = 3;
    if (anchor.X > screenWidth / 2)
        position = 4;
    if (anchor.Y <= screenHeight / 2)
        position -= 2;
    return position;
}

TVxBalloonLayout LayoutBalloon(TVxDemoPoint anchor, int textWidth, int textHeight, int position, int screenWidth,
                               int screenHeight)
{
    TVxBalloonLayout layout;
    layout.Position = position >= 1 && position <= 4 ? position : ChooseBalloonPosition(anchor, screenWidth, screenHeight);
    const int w = textWidth + 16;
    const int h = textHeight + 16;
    layout.BodyWidth = w;
    layout.BodyHeight = h;
    layout.WindowHeight = h + 16;
    switch (layout.Position) {
    case 1: layout.Tail = {{{16, 0}, {16, -16}, {32, 0}}}; layout.Tip = {16, -16}; break;
    case 2: layout.Tail = {{{w - 16, 0}, {w - 16, -16}, {w - 32, 0}}}; layout.Tip = {w - 16, -16}; break;
    case 3: layout.Tail = {{{15, h - 1}, {31, h - 1}, {15, h + 15}}}; layout.Tip = {15, h + 15}; break;
    default: layout.Tail = {{{w - 17, h - 1}, {w - 33, h - 1}, {w - 17, h + 15}}}; layout.Tip = {w - 17, h + 15}; break;
    }
    const bool tailUp = layout.Position <= 2;
    layout.TextOffset = {12, tailUp ? 24 : 8};
    if (layout.Tip.Y < 0) {
        layout.RegionShiftY = 16;
        for (TVxDemoPoint& point : layout.Tail)
            point.Y += 16;
        layout.Tip.Y = 0;
    }
    layout.WindowOrigin = {anchor.X - layout.Tip.X, anchor.Y - layout.Tip.Y};
    return layout;
}

void TVxDemoPauseState::Play()
{
    FState = TVxDemoState::dsPlaying;
    FDepth = 0;
}

void TVxDemoPauseState::Stop()
{
    FState = TVxDemoState::dsStopped;
    FDepth = 0;
}

void TVxDemoPauseState::Finish()
{
    FState = TVxDemoState::dsIdle;
    FDepth = 0;
}

bool TVxDemoPauseState::Pause()
{
    ++FDepth;
    if (FState != TVxDemoState::dsPlaying)
        return false;
    FState = TVxDemoState::dsPaused;
    return true;
}

bool TVxDemoPauseState::Resume()
{
    if (FDepth > 0)
        --FDepth;
    if (FDepth != 0 || FState != TVxDemoState::dsPaused)
        return false;
    FState = TVxDemoState::dsPlaying;
    return true;
}
