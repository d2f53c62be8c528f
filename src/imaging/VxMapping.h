#pragma once
// Point mappings from a destination rectangle back into a source picture, the straight
// line of the tone curves, and the small geometry helpers that go with them.
//
//   TRectToRect map(objectRect, Bounds(0, 0, 72, 72), true);   // fitted and centred
//   for (y = map.Dest().Top; y < map.Dest().Bottom; ++y)
//       for (x = map.Dest().Left; x < map.Dest().Right; ++x)
//           TPoint from = map.MapPointRounded(x, y);             // sample the source there
#include <cstdint>

#include "imaging/VxGeometry.h"

struct TPointD {
    double X = 0.0;
    double Y = 0.0;
    friend bool operator==(const TPointD&, const TPointD&) = default;
};

// Walks destination pixels back to source positions: corner pixel centres of the source
// land on corner pixel centres of Dest.
class TRectToRect {
public:
    TRectToRect(const TRect& sourceRect, const TRect& destRect, bool keepProportions);
    virtual ~TRectToRect() = default;

    virtual TPointD MapPoint(std::int32_t x, std::int32_t y) const;
    // Ties go to the even neighbour.
    TPoint MapPointRounded(std::int32_t x, std::int32_t y) const;

    // The destination, shrunk and centred when proportions are kept.
    const TRect& Dest() const { return FDest; }
    const TPointD& Origin() const { return FOrigin; }
    double ScaleX() const { return FScaleX; }
    double ScaleY() const { return FScaleY; }

private:
    void ComputeScales(const TRect& sourceRect);
    void KeepProportions(const TRect& sourceRect);

    TRect FDest;
    TPointD FOrigin;
    double FScaleX = 0.0;
    double FScaleY = 0.0;
};

// As TRectToRect, then turned about the source's centre by -angle, so that the picture
// appears turned by +angle in the destination.
class TRectToRotatedRect : public TRectToRect {
public:
    TRectToRotatedRect(const TRect& sourceRect, const TRect& destRect, bool keepProportions, double angleDegrees);

    TPointD MapPoint(std::int32_t x, std::int32_t y) const override;

    double Angle() const { return FAngle; }
    const TPointD& Center() const { return FCenter; }

private:
    double FAngle = 0.0;
    TPointD FCenter;
};

// The line A*x + B*y + C = 0, normalised so that the largest of |A|, |B|, |C| is 1.
class TLine {
public:
    static TLine FromPoints(const TPointD& p, const TPointD& q);

    // A vertical line (B = 0) has no y for a given x; it answers 0 instead of dividing
    // by zero.
    double YAt(double x) const;

    double A = 0.0;
    double B = 0.0;
    double C = 0.0;
};

// x' = cx + cos*dx - sin*dy, y' = cy + sin*dx + cos*dy with d = p - center.
TPointD RotatePoint(const TPointD& p, const TPointD& center, double angle);
double Distance(const TPointD& p, const TPointD& q);
double Distance(const TPoint& p, const TPoint& q);
// Inclusive on both ends: 0 <= x <= maxX and 0 <= y <= maxY.
bool InRange(std::int32_t x, std::int32_t y, std::int32_t maxX, std::int32_t maxY);
bool InRange(double x, double y, double maxX, double maxY);
bool SameValue(double a, double b, double epsilon);
bool IsZero(double a, double epsilon);

double ClampDouble(double value, double low, double high);
long double ClampExtended(long double value, long double low, long double high);
std::int64_t ClampInt64(std::int64_t value, std::int64_t low, std::int64_t high);
// Clamped to [0, 255] first, then rounded to nearest with ties to even.
std::uint8_t ClampToByte(double x);

// Round to nearest, ties to even, saturated to the 32-bit range (NaN gives 0), so a
// wild coordinate never becomes undefined behaviour.
std::int32_t RoundToInt(double x);
