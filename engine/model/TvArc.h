#pragma once
// An arc, chord or pie of the ellipse of a TvCircle.
#include "engine/model/TvCircle.h"

namespace nv {

class TvArc : public TvCircle {
    NV_DECLARE_SERIAL(TvArc)
public:
    enum ArcType : int32_t { kArc = 1, kChord = 2, kPie = 3 };

    TvArc();
    // Kind and angles are the caller's to set afterwards.
    explicit TvArc(const Rect& r);
    // Start and end angle are both set to 0.
    TvArc(const Rect& r, int32_t frame, int32_t arcType, const TvGraphic* templateShape);
    // Angles are the caller's to set afterwards.
    TvArc(const Point& centre, const Size& radii, int32_t arcType, int32_t frame, const TvGraphic* templateShape);
    ~TvArc() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    int32_t GetType() const override { return objArc; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Arc", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea | flagArcOfCircle; }
    std::unique_ptr<TvObject> Clone() const override;
    void InitDefaults() override;

    void CopyArcAttributes(const TvArc& source);

    // The point of the ellipse at `angle` (1/100 degree) from the centre,
    // x to the right, y downward; the centre itself when both radii are 0.
    void PointAtAngle(int32_t angle, Point& out) const;

    int32_t m_nArcType = kArc;  // 27
    int32_t m_nStartAngle = 0;  // 39
    int32_t m_nEndAngle = 0;    // 40
};

} // namespace nv
