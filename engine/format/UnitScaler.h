#pragma once
// Maps document units (1/1,440,000 inch) to device pixels at a resolution
// and zoom and back. All rounding to device pixels happens here: both
// directions truncate toward zero.
#include "engine/core/Geometry.h"

#include <cstdint>

namespace nv {

class UnitScaler {
public:
    UnitScaler() = default;
    UnitScaler(int32_t resolutionX, int32_t resolutionY, int32_t zoomPercent);

    void SetZoom(int32_t zoomPercent);
    // What SetFromDC does once the device-context layer has read the
    // context's LOGPIXELSX and LOGPIXELSY.
    void SetFromDC(int32_t logPixelsX, int32_t logPixelsY, int32_t zoomPercent);

    int32_t ResolutionX() const { return m_nResX; }
    int32_t ResolutionY() const { return m_nResY; }
    double ZoomFactor() const { return m_dZoom; }

    int32_t DocToDeviceX(int32_t v) const { return DocToDeviceXAt(m_nResX, v); }
    int32_t DocToDeviceY(int32_t v) const { return DocToDeviceYAt(m_nResY, v); }
    int32_t DocToDeviceXAt(int32_t resolution, int32_t v) const;
    int32_t DocToDeviceYAt(int32_t resolution, int32_t v) const;
    Point DocToDevicePoint(Point p) const;
    Rect DocToDeviceRect(const Rect& r) const;

    // 0 when the resolution or the zoom is 0.
    int32_t DeviceToDocX(int32_t p) const;
    int32_t DeviceToDocY(int32_t p) const;
    Point DeviceToDocPoint(Point p) const;
    Rect DeviceToDocRect(const Rect& r) const;

    // Hundredths of a point (200 document units each) to pixels.
    int32_t CentiPointsToDeviceX(int32_t v) const;
    int32_t CentiPointsToDeviceY(int32_t v) const;
    Point CentiPointsToDevicePoint(Point p) const;

private:
    int32_t m_nResX = 96;
    int32_t m_nResY = 96;
    double m_dZoom = 1.0;
};

} // namespace nv
