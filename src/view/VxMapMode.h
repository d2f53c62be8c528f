#pragma once
// Logical (image) to device (window) coordinates: a scale given as two extents and two
// origins per axis, as the platform's anisotropic mapping mode has them.
//
//   TVxMapMode mapping;
//   mapping.SetScale(3, 1);                         // 300 %
//   TRect onScreen = mapping.LogicalToDeviceRect(imageRect);
#include <cstdint>

#include "imaging/VxGeometry.h"

class TVxMapMode {
public:
    virtual ~TVxMapMode() = default;

    TPoint DeviceToLogical(const TPoint& point) const;
    TPoint LogicalToDevice(const TPoint& point) const;
    // Every edge goes through the point formula, so one logical pixel at 3/1 is three
    // device pixels wide.
    TRect LogicalToDeviceRect(const TRect& rect) const;
    TRect DeviceToLogicalRect(const TRect& rect) const;

    // The same ratio n/d in both axes: viewport extent n, window extent d.
    void SetScale(std::int32_t numerator, std::int32_t denominator);
    // SetScale, with the viewport origin moved so that the logical pixel under devicePoint
    // stays under it: exactly when zooming in; when zooming out the device pixel there
    // covers that logical pixel among others.
    void ZoomAbout(const TPoint& devicePoint, std::int32_t numerator, std::int32_t denominator);
    void MoveViewportOrigin(std::int32_t dx, std::int32_t dy);

    std::int32_t WindowOrgX = 0;
    std::int32_t WindowOrgY = 0;
    std::int32_t WindowExtX = 1;
    std::int32_t WindowExtY = 1;
    std::int32_t ViewportOrgX = 0;
    std::int32_t ViewportOrgY = 0;
    std::int32_t ViewportExtX = 1;
    std::int32_t ViewportExtY = 1;
};

// What TVxHiMetric needs of a printer's device context; the platform layer reads it.
struct TVxDeviceMetrics {
    std::int32_t PrintableWidthPixels = 0;
    std::int32_t PrintableHeightPixels = 0;
    std::int32_t PrintableWidthMillimetres = 0;
    std::int32_t PrintableHeightMillimetres = 0;
    std::int32_t PhysicalOffsetX = 0;
    std::int32_t PhysicalOffsetY = 0;
};

// Logical units are hundredths of a millimetre on the printable page.
class TVxHiMetric : public TVxMapMode {
public:
    void SetupForDevice(const TVxDeviceMetrics& metrics);

    static std::int32_t FromCentimetres(double value);
    static std::int32_t FromInches(double value);
    static std::int32_t FromMillimetres(double value);
    static std::int32_t FromPoints(double value);
    static double ToCentimetres(std::int32_t value);
    static double ToInches(std::int32_t value);
    static double ToMillimetres(std::int32_t value);
    static double ToPoints(std::int32_t value);
};
