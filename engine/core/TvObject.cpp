#include "engine/core/TvObject.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"

#include <cstdlib>
#include <cstring>

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvObject, kClassTvObject, CObject, 10, true)

namespace {

int DigitCount(int64_t n)
{
    int d = 1;
    if (n < 0) n = -n;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

} // namespace

void TvObject::Serialize(Archive& ar, uint32_t schema)
{
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteString(m_strName);
        ar.WriteU32(m_nObjectId);
        ar.WriteI32(m_nReserved);
        ar.WriteI32(m_nX);
        ar.WriteI32(m_nY);
        ar.WriteI32(m_bTransparent);
        ar.WriteU32(m_crBackColor);
        ar.WriteI32(m_nDrawOrder);
        return;
    }
    if (schema > 9) (void)ar.ReadU32();
    m_strName = ar.ReadString();
    m_nObjectId = ar.ReadU32();
    m_nReserved = ar.ReadI32();
    m_nX = ar.ReadI32();
    m_nY = ar.ReadI32();
    m_bTransparent = ar.ReadI32();
    m_crBackColor = ar.ReadU32();
    m_nDrawOrder = ar.ReadI32();
    m_bVisible = 1;
}

void TvObject::GetBoundRect(Rect& out, bool) const
{
    out = Rect{};
}

void TvObject::SetRect(const Rect&) {}

bool TvObject::HitTest(const Rect& r) const
{
    Rect bound;
    GetBoundRect(bound, true);
    bound.Normalize();
    bound.Inflate(1, 1);
    return !Rect::Intersect(bound, r.Normalized()).IsEmpty();
}

const ObjectPropertyTable& TvObject::BaseProperties()
{
    static const ObjectPropertyTable table(nullptr, kBaseRows);
    return table;
}

const ObjectPropertyTable& TvObject::Properties() const
{
    return BaseProperties();
}

void TvObject::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    Properties().Apply(*this, map, changes);
}

int32_t TvObject::IsPropertySupported(uint16_t id) const
{
    return Properties().IsSupported(id);
}

std::unique_ptr<TvObject> TvObject::Clone() const
{
    // A plain base object (kept as such in a form) must survive copying.
    if (&GetRuntimeClass() != &TvObject::Class()) return nullptr;
    auto o = std::make_unique<TvObject>();
    o->CopyAttributes(*this);
    o->m_nNamingMode = m_nNamingMode;
    return o;
}

void TvObject::Offset(int32_t dx, int32_t dy)
{
    m_nX = BoundedAdd(m_nX, dx);
    m_nY = BoundedAdd(m_nY, dy);
}

void TvObject::Scale(const Size& from, const Size& to)
{
    // A zero source extent would divide by zero; that axis stays.
    if (from.cx != 0) m_nX = TruncToInt32(static_cast<double>(m_nX) * to.cx / from.cx);
    if (from.cy != 0) m_nY = TruncToInt32(static_cast<double>(m_nY) * to.cy / from.cy);
}

void TvObject::RectFromAnchor(Rect& out, int32_t orientation, int32_t w, int32_t h) const
{
    const int32_t x = m_nX, y = m_nY;
    switch (orientation) {
    case 2: out = Rect{BoundedSub(x, h), y, x, BoundedAdd(y, w)}; break;
    case 3: out = Rect{BoundedSub(x, w), BoundedSub(y, h), x, y}; break;
    case 4: out = Rect{x, BoundedSub(y, w), BoundedAdd(x, h), y}; break;
    default: out = Rect{x, y, BoundedAdd(x, w), BoundedAdd(y, h)}; break;
    }
}

void TvObject::AnchorFromRect(int32_t& width, int32_t& height, int32_t orientation, const Rect& rect)
{
    const Rect r = rect.Normalized();
    switch (orientation) {
    case 2:
        m_nX = r.right;
        m_nY = r.top;
        width = r.Height();
        height = r.Width();
        break;
    case 3:
        m_nX = r.right;
        m_nY = r.bottom;
        width = r.Width();
        height = r.Height();
        break;
    case 4:
        m_nX = r.left;
        m_nY = r.bottom;
        width = r.Height();
        height = r.Width();
        break;
    default:
        m_nX = r.left;
        m_nY = r.top;
        width = r.Width();
        height = r.Height();
        break;
    }
}

void TvObject::CopyAttributes(const TvObject& o)
{
    m_bTransparent = o.m_bTransparent;
    m_crBackColor = o.m_crBackColor;
    m_nObjectId = o.m_nObjectId;
    m_nDrawOrder = o.m_nDrawOrder;
    m_nReserved = o.m_nReserved;
    m_nX = o.m_nX;
    m_nY = o.m_nY;
    m_strName = o.m_strName;
    m_bVisible = o.m_bVisible;
}

void TvObject::AnchorForOrientation(Point& out, int32_t newOrientation, int32_t oldOrientation, int32_t width,
                                    int32_t height) const
{
    if (newOrientation == oldOrientation) {
        out = Point{m_nX, m_nY};
        return;
    }
    Rect b;
    GetBoundRect(b, false);
    b.Normalize();
    switch (newOrientation) {
    case 2: out = Point{BoundedAdd(b.left, height), b.top}; break;
    case 3: out = Point{BoundedAdd(b.left, width), BoundedAdd(b.top, height)}; break;
    case 4: out = Point{b.left, BoundedAdd(b.top, width)}; break;
    default: out = Point{b.left, b.top}; break;
    }
}

void TvObject::NormaliseSize(int32_t& width, int32_t& height, int32_t orientation)
{
    Rect r = Rect::At(m_nX, m_nY, width, height);
    r.Normalize();
    AnchorFromRect(width, height, orientation, r);
}

int32_t TvObject::GetPropertyAddress(uint16_t id, void*& address, int32_t& kind)
{
    return Properties().GetAddress(*this, id, address, kind);
}

void TvObject::MakeDefaultName(std::string_view givenStem, const TvObjectSource& form)
{
    std::string stem(givenStem);
    int width = 0;
    if (m_nNamingMode == 2 && !m_strName.empty()) {
        size_t end = m_strName.size();
        while (end > 0 && m_strName[end - 1] >= '0' && m_strName[end - 1] <= '9') --end;
        stem = m_strName.substr(0, end);
        width = static_cast<int>(m_strName.size() - end);
    }
    int64_t n = 0;
    form.ForEachObject([&](const TvObject& o) {
        if (&o == this) return;
        const std::string& name = o.m_strName;
        if (name.size() < stem.size() || name.compare(0, stem.size(), stem) != 0) return;
        const int64_t v = ParseLeadingLong(std::string_view(name).substr(stem.size()));
        if (v > n) n = v;
    });
    ++n;
    const int digits = DigitCount(n);
    std::string name = stem;
    if (width > digits) name.append(static_cast<size_t>(width - digits), '0');
    name += std::to_string(n);
    m_strName = std::move(name);
}

void TvObject::FitBoxToAspect(int32_t& x, int32_t& y, int32_t& width, int32_t& height, Size natural, bool grow)
{
    Rect box = Rect::At(x, y, width, height);
    Point p{box.right, box.bottom};
    int32_t handle = 5;
    FitToAspect(box, p, natural, grow, handle);
    x = box.left;
    y = box.top;
    width = box.Width();
    height = box.Height();
}

void TvObject::SetPictureRect(const Rect& r, int32_t& width, int32_t& height, Size natural, bool keepAspect)
{
    const int32_t oldWidth = width;
    m_nX = r.left;
    m_nY = r.top;
    width = r.Width();
    height = r.Height();
    if (!keepAspect) return;
    // The box grows when the new width, or the new height, exceeds the old
    // width (not the old height): stored forms were laid out by this rule,
    // so it stays as it is.
    FitBoxToAspect(m_nX, m_nY, width, height, natural, width > oldWidth || height > oldWidth);
}

void TvObject::FitToAspect(Rect& rect, Point& point, Size natural, bool grow, int32_t& handle)
{
    if (natural.cx == 0) natural.cx = 1;
    if (natural.cy == 0) natural.cy = 1;
    const int32_t h0 = handle;
    int64_t w = static_cast<int64_t>(rect.right) - rect.left;
    int64_t h = static_cast<int64_t>(rect.bottom) - rect.top;
    switch (h0) {
    case 1: case 7: case 8: w = static_cast<int64_t>(rect.right) - point.x; break;
    case 3: case 4: case 5: w = static_cast<int64_t>(point.x) - rect.left; break;
    default: break;
    }
    switch (h0) {
    case 1: case 2: case 3: h = static_cast<int64_t>(rect.bottom) - point.y; break;
    case 5: case 6: case 7: h = static_cast<int64_t>(point.y) - rect.top; break;
    default: break;
    }
    const double ncx = std::abs(static_cast<double>(natural.cx));
    const double ncy = std::abs(static_cast<double>(natural.cy));
    bool widthWins;
    if (h0 == 4 || h0 == 8) {
        widthWins = true;
    } else if (h0 == 2 || h0 == 6) {
        widthWins = false;
    } else {
        const double rw = std::abs(static_cast<double>(w)) / ncx;
        const double rh = std::abs(static_cast<double>(h)) / ncy;
        widthWins = grow ? (rw > rh) : (rw < rh);
    }
    if (widthWins) {
        const int64_t mag = RoundToLong(std::abs(static_cast<double>(w)) * ncy / ncx);
        h = h < 0 ? -mag : mag;
    } else {
        const int64_t mag = RoundToLong(std::abs(static_cast<double>(h)) * ncx / ncy);
        w = w < 0 ? -mag : mag;
    }
    const int32_t W = TruncToInt32(static_cast<double>(w));
    const int32_t H = TruncToInt32(static_cast<double>(h));
    Rect r = rect;
    auto add = BoundedAdd;
    auto sub = BoundedSub;
    switch (h0) {
    case 1: r.left = sub(r.right, W); r.top = sub(r.bottom, H); point = {r.left, r.top}; break;
    case 2: r.top = sub(r.bottom, H); r.right = add(r.left, W); point = {add(r.left, W / 2), r.top}; break;
    case 3: r.right = add(r.left, W); r.top = sub(r.bottom, H); point = {r.right, r.top}; break;
    case 4: r.right = add(r.left, W); r.bottom = add(r.top, H); point = {r.right, add(r.top, H / 2)}; break;
    case 5: r.right = add(r.left, W); r.bottom = add(r.top, H); point = {r.right, r.bottom}; break;
    case 6: r.bottom = add(r.top, H); r.right = add(r.left, W); point = {add(r.left, W / 2), r.bottom}; break;
    case 7: r.left = sub(r.right, W); r.bottom = add(r.top, H); point = {r.left, r.bottom}; break;
    case 8: r.left = sub(r.right, W); r.bottom = add(r.top, H); point = {r.left, add(r.top, H / 2)}; break;
    default: return;
    }
    // A drag across the opposite side turns the handle into its mirror.
    const bool flipX = W < 0 && (h0 == 1 || h0 == 3 || h0 == 4 || h0 == 5 || h0 == 7 || h0 == 8);
    const bool flipY = H < 0 && (h0 == 1 || h0 == 2 || h0 == 3 || h0 == 5 || h0 == 6 || h0 == 7);
    int32_t nh = h0;
    if (flipX) {
        static const int32_t mx[9] = {0, 3, 2, 1, 8, 7, 6, 5, 4};
        nh = mx[nh];
    }
    if (flipY) {
        static const int32_t my[9] = {0, 7, 6, 5, 4, 3, 2, 1, 8};
        nh = my[nh];
    }
    handle = nh;
    r.Normalize();
    rect = r;
}

} // namespace nv
