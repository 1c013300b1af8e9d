#include "engine/format/UnitScaler.h"

#include "engine/core/EngineMath.h"

namespace nv {

namespace {
// 1 / 1,440,000 as the engine has always multiplied by it; the last digit
// decides pixel edges, so keep it as it stands.
constexpr double kInvDocPerInch = 6.944444444444445e-7;

int32_t ToDevice(int32_t resolution, double zoom, int32_t v)
{
    return TruncToInt32(resolution * zoom * v * kInvDocPerInch);
}

int32_t ToDoc(int32_t resolution, double zoom, int32_t p)
{
    if (resolution == 0 || zoom == 0.0) return 0;
    return TruncToInt32(p * 1440000.0 / resolution / zoom);
}
} // namespace

UnitScaler::UnitScaler(int32_t resolutionX, int32_t resolutionY, int32_t zoomPercent)
    : m_nResX(resolutionX), m_nResY(resolutionY)
{
    SetZoom(zoomPercent);
}

void UnitScaler::SetZoom(int32_t zoomPercent) { m_dZoom = zoomPercent * 0.01; }

void UnitScaler::SetFromDC(int32_t logPixelsX, int32_t logPixelsY, int32_t zoomPercent)
{
    m_nResX = logPixelsX;
    m_nResY = logPixelsY;
    SetZoom(zoomPercent);
}

int32_t UnitScaler::DocToDeviceXAt(int32_t resolution, int32_t v) const { return ToDevice(resolution, m_dZoom, v); }
int32_t UnitScaler::DocToDeviceYAt(int32_t resolution, int32_t v) const { return ToDevice(resolution, m_dZoom, v); }

Point UnitScaler::DocToDevicePoint(Point p) const { return {DocToDeviceX(p.x), DocToDeviceY(p.y)}; }

Rect UnitScaler::DocToDeviceRect(const Rect& r) const
{
    return {DocToDeviceX(r.left), DocToDeviceY(r.top), DocToDeviceX(r.right), DocToDeviceY(r.bottom)};
}

int32_t UnitScaler::DeviceToDocX(int32_t p) const { return ToDoc(m_nResX, m_dZoom, p); }
int32_t UnitScaler::DeviceToDocY(int32_t p) const { return ToDoc(m_nResY, m_dZoom, p); }

Point UnitScaler::DeviceToDocPoint(Point p) const { return {DeviceToDocX(p.x), DeviceToDocY(p.y)}; }

Rect UnitScaler::DeviceToDocRect(const Rect& r) const
{
    return {DeviceToDocX(r.left), DeviceToDocY(r.top), DeviceToDocX(r.right), DeviceToDocY(r.bottom)};
}

int32_t UnitScaler::CentiPointsToDeviceX(int32_t v) const
{
    return TruncToInt32(m_nResX * m_dZoom * (v * 200.0) * kInvDocPerInch);
}

int32_t UnitScaler::CentiPointsToDeviceY(int32_t v) const
{
    return TruncToInt32(m_nResY * m_dZoom * (v * 200.0) * kInvDocPerInch);
}

Point UnitScaler::CentiPointsToDevicePoint(Point p) const
{
    return {CentiPointsToDeviceX(p.x), CentiPointsToDeviceY(p.y)};
}

} // namespace nv
