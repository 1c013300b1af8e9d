#pragma once
// A point list drawn as a polyline, a polygon or a closed Bezier figure. The
// base's anchor is not used for drawing.
#include "engine/model/TvGraphic.h"

#include <vector>

namespace nv {

class TvPolygon : public TvGraphic {
    NV_DECLARE_SERIAL(TvPolygon)
public:
    enum PolyType : int32_t { kPolyline = 1, kPolygon = 2, kBezier = 3 };

    TvPolygon();
    // Positioned at the point, without points yet.
    TvPolygon(const Point& position, int32_t frame, const TvGraphic* templateShape);
    // Positioned at the other's first point, with its frame flag, kind and
    // points (added one by one, so repeats collapse).
    explicit TvPolygon(const TvPolygon* other);
    ~TvPolygon() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    // Maps the points from their bounds onto the rectangle.
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objPolygon; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Polygon", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea; }
    // Moves the points; the anchor stays.
    void Offset(int32_t dx, int32_t dy) override;
    // Scales the points with the anchor, so that the figure scales with the form.
    void Scale(const Size& from, const Size& to) override;
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override;

    void CopyShapeAttributes(const TvPolygon& source);

    // Appends p unless it equals the last point; grows by 10 points at a time.
    void AddPoint(const Point& p);

    const std::vector<Point>& Points() const { return m_points; }
    int32_t PointCount() const { return static_cast<int32_t>(m_points.size()); }
    int32_t Capacity() const { return m_nCapacity; }

    int32_t m_bFrame = 1;          // 12
    int32_t m_nPolyType = kPolygon; // 30

private:
    int32_t m_nPolyCount = 0;      // 121, read-only
    int32_t m_nCapacity = 0;
    std::vector<Point> m_points;
};

} // namespace nv
