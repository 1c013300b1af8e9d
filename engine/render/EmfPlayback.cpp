// The player: mapping, objects and state, and the table of record handlers.
#include "engine/render/EmfPlayback.h"
#include "engine/core/EngineLog.h"

namespace nv::emf {

Player::Player(DeviceContext& dc, const EmfHeader& h, const DcRect& dst) : dc_(dc)
{
    table_.resize(std::max<size_t>(h.handles, 1));
    // The frame, in reference-device pixels, is mapped onto dst.
    const double pxPerMmX = h.millimeters.cx > 0 ? double(h.device.cx) / h.millimeters.cx : 1;
    const double pxPerMmY = h.millimeters.cy > 0 ? double(h.device.cy) / h.millimeters.cy : 1;
    double fl = h.frame.left * pxPerMmX / 100, ft = h.frame.top * pxPerMmY / 100;
    double fr = h.frame.right * pxPerMmX / 100, fb = h.frame.bottom * pxPerMmY / 100;
    if (!(fr > fl) || !(fb > ft)) {
        fl = h.bounds.left;
        ft = h.bounds.top;
        fr = h.bounds.right + 1.0;
        fb = h.bounds.bottom + 1.0;
    }
    pxPerMmX_ = pxPerMmX;
    pxPerMmY_ = pxPerMmY;
    if (fr > fl && fb > ft) {
        frame_.m11 = double(dst.right - dst.left) / (fr - fl);
        frame_.m22 = double(dst.bottom - dst.top) / (fb - ft);
        frame_.dx = dst.left - fl * frame_.m11;
        frame_.dy = dst.top - ft * frame_.m22;
    } else {
        frame_.m11 = frame_.m22 = 0;
    }
    DcRect clip;
    if (dc_.State().clip && dc_.GetClipBox(&clip)) initialClip_ = clip;
    Update();
}

void Player::Run(const uint8_t* data, size_t size, bool& complete)
{
    size_t off = 0;
    complete = false;
    while (off + 8 <= size) {
        const uint32_t type = Le32(data + off);
        const uint32_t recSize = Le32(data + off + 4);
        if (recSize < 8 || recSize % 4 != 0 || recSize > size - off) return;
        if (type == EMR_EOF) {
            complete = true;
            return;
        }
        try {
            if (off != 0 || type != EMR_HEADER) Dispatch(type, Record(data + off, recSize));
        } catch (const Bad&) {
            LogLine("EMF", "記録 " + std::to_string(off) + " (種類 " + std::to_string(type) + ") が壊れています。残りは描きません");
            return;
        } catch (const std::bad_alloc&) {
            LogLine("EMF", "記録 " + std::to_string(off) + " (種類 " + std::to_string(type) + ") を描くメモリが足りません。残りは描きません");
            return;
        }
        off += recSize;
    }
}

uint32_t Player::Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Player::Update()
{
    Matrix page;
    double sx = 1, sy = 1;
    switch (st_.mapMode) {
    case 2: sx = 0.1 * pxPerMmX_; sy = -0.1 * pxPerMmY_; break;      // 0.1 mm
    case 3: sx = 0.01 * pxPerMmX_; sy = -0.01 * pxPerMmY_; break;    // 0.01 mm
    case 4: sx = 0.254 * pxPerMmX_; sy = -0.254 * pxPerMmY_; break;  // 0.01 inch
    case 5: sx = 0.0254 * pxPerMmX_; sy = -0.0254 * pxPerMmY_; break;
    case 6: sx = 25.4 / 1440 * pxPerMmX_; sy = -25.4 / 1440 * pxPerMmY_; break;
    case 7:
    case 8:
        sx = st_.vex / st_.wex;
        sy = st_.vey / st_.wey;
        if (st_.mapMode == 7) {  // isotropic: the smaller scale on both axes
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = sx < 0 ? -m : m;
            sy = sy < 0 ? -m : m;
        }
        break;
    default: break;
    }
    page.m11 = sx;
    page.m22 = sy;
    page.dx = st_.vox - st_.wox * sx;
    page.dy = st_.voy - st_.woy * sy;
    full_ = st_.world.Then(page).Then(frame_);
}

DcPoint Player::ToDevice(double x, double y) const
{
    double ox, oy;
    full_.Apply(x, y, ox, oy);
    return {Clamp(ox), Clamp(oy)};
}

DcRect Player::ToDeviceRect(double l, double t, double r, double b) const
{
    DcPoint a = ToDevice(l, t), c = ToDevice(r, b), p2 = ToDevice(r, t), p3 = ToDevice(l, b);
    DcRect out{std::min({a.x, c.x, p2.x, p3.x}), std::min({a.y, c.y, p2.y, p3.y}),
               std::max({a.x, c.x, p2.x, p3.x}), std::max({a.y, c.y, p2.y, p3.y})};
    return out;
}

void Player::RealizePen()
{
    const LogPen& p = st_.pen;
    DcPen pen;
    switch (p.style & 0xF) {
    case 1: pen.style = PenStyle::Dash; break;
    case 2: case 8: pen.style = PenStyle::Dot; break;
    case 3: pen.style = PenStyle::DashDot; break;
    case 4: pen.style = PenStyle::DashDotDot; break;
    case 5: pen.style = PenStyle::Null; break;
    case 6: pen.style = PenStyle::InsideFrame; break;
    default: pen.style = PenStyle::Solid; break;
    }
    const bool geometric = (p.style & 0xF0000) == 0x10000;
    const double scale = std::sqrt(std::fabs(full_.m11 * full_.m22 - full_.m12 * full_.m21));
    pen.width = p.width <= 0 ? 1 : std::max(1, Clamp(p.width * scale));
    pen.colour = p.colour & 0xFFFFFF;
    if (geometric) {
        const uint32_t cap = (p.style >> 8) & 0xF, join = (p.style >> 12) & 0xF;
        pen.cap = cap == 1 ? PenCap::Square : cap == 2 ? PenCap::Flat : PenCap::Round;
        pen.join = join == 1 ? PenJoin::Bevel : join == 2 ? PenJoin::Miter : PenJoin::Round;
    }
    dc_.SelectPen(pen);
}

void Player::RealizeFont()
{
    const LogFont& f = st_.font;
    DcFont font;
    font.height = Clamp(f.height * ScaleY());
    font.width = Clamp(f.width * ScaleX());
    // The angle of the mapped x axis turns the text with the picture.
    const double turn = std::atan2(-full_.m12, full_.m11) * 1800.0 / M_PI;
    long esc = std::lround(f.escapement + turn) % 3600;
    if (esc < 0) esc += 3600;
    font.escapement = static_cast<int32_t>(esc);
    font.orientation = font.escapement;
    font.weight = f.weight;
    font.italic = f.italic != 0;
    font.underline = f.underline != 0;
    font.strikeOut = f.strikeOut != 0;
    font.charSet = f.charSet;
    font.pitchAndFamily = f.pitchAndFamily;
    if (!f.face.empty()) font.faceName = f.face;
    dc_.SelectFont(font);
}

Object& Player::Slot(uint32_t index)
{
    if (index == 0 || index >= table_.size()) throw Bad{};
    return table_[index];
}

void Player::SelectStock(uint32_t which)
{
    switch (which) {
    case 0: st_.brush = DcBrush::Solid(0xFFFFFF); break;
    case 1: st_.brush = DcBrush::Solid(0xC0C0C0); break;
    case 2: st_.brush = DcBrush::Solid(0x808080); break;
    case 3: st_.brush = DcBrush::Solid(0x404040); break;
    case 4: st_.brush = DcBrush::Solid(0); break;
    case 5: st_.brush = DcBrush::Null(); break;
    case 6: st_.pen = LogPen{0, 0, 0xFFFFFF}; break;
    case 7: st_.pen = LogPen{0, 0, 0}; break;
    case 8: st_.pen = LogPen{5, 0, 0}; break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17: st_.font = LogFont{}; break;
    default: break;  // palettes, DC pen and brush: nothing to draw with
    }
}

void Player::Select(uint32_t index)
{
    if (index & 0x80000000u) {
        SelectStock(index & 0x7FFFFFFFu);
        return;
    }
    const Object& o = Slot(index);
    switch (o.kind) {
    case Object::Pen: st_.pen = o.pen; break;
    case Object::Brush: st_.brush = o.brush; break;
    case Object::Font: st_.font = o.font; break;
    default: break;
    }
}

const std::array<Player::Handler, Player::kRecordTypes>& Player::Handlers()
{
    static const std::array<Handler, kRecordTypes> table = [] {
        std::array<Handler, kRecordTypes> t{};
        auto set = [&t](std::initializer_list<uint32_t> types, Handler h) {
            for (uint32_t type : types) t[type] = h;
        };
        set({EMR_HEADER}, &Player::OnHeader);
        set({EMR_POLYBEZIER, EMR_POLYGON, EMR_POLYLINE, EMR_POLYBEZIERTO, EMR_POLYLINETO, EMR_POLYBEZIER16,
             EMR_POLYGON16, EMR_POLYLINE16, EMR_POLYBEZIERTO16, EMR_POLYLINETO16},
            &Player::PolyRecord);
        set({EMR_POLYPOLYLINE, EMR_POLYPOLYGON, EMR_POLYPOLYLINE16, EMR_POLYPOLYGON16}, &Player::PolyPolyRecord);
        set({EMR_POLYDRAW, EMR_POLYDRAW16}, &Player::OnPolyDraw);
        set({EMR_SETWINDOWEXTEX, EMR_SETVIEWPORTEXTEX, EMR_SETWINDOWORGEX, EMR_SETVIEWPORTORGEX,
             EMR_SCALEVIEWPORTEXTEX, EMR_SCALEWINDOWEXTEX, EMR_SETMAPMODE, EMR_SETWORLDTRANSFORM,
             EMR_MODIFYWORLDTRANSFORM},
            &Player::OnMapping);
        set({EMR_SETBKMODE, EMR_SETPOLYFILLMODE, EMR_SETTEXTALIGN, EMR_SETTEXTCOLOR, EMR_SETBKCOLOR,
             EMR_SETBRUSHORGEX, EMR_SETARCDIRECTION, EMR_SAVEDC, EMR_RESTOREDC},
            &Player::OnDcState);
        set({EMR_MOVETOEX, EMR_LINETO, EMR_SETPIXELV, EMR_ANGLEARC}, &Player::OnPenMoves);
        set({EMR_RECTANGLE, EMR_ELLIPSE, EMR_ROUNDRECT}, &Player::BoxRecord);
        set({EMR_ARC, EMR_CHORD, EMR_PIE, EMR_ARCTO}, &Player::ArcRecord);
        set({EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_CREATEPEN, EMR_EXTCREATEPEN, EMR_CREATEBRUSHINDIRECT,
             EMR_CREATEMONOBRUSH, EMR_CREATEDIBPATTERNBRUSHPT, EMR_EXTCREATEFONTINDIRECTW, EMR_CREATEPALETTE,
             EMR_CREATECOLORSPACE, EMR_CREATECOLORSPACEW, EMR_DELETECOLORSPACE},
            &Player::OnObject);
        set({EMR_BEGINPATH, EMR_ENDPATH, EMR_ABORTPATH, EMR_CLOSEFIGURE, EMR_FILLPATH, EMR_STROKEANDFILLPATH,
             EMR_STROKEPATH, EMR_SELECTCLIPPATH},
            &Player::OnPath);
        set({EMR_INTERSECTCLIPRECT, EMR_EXCLUDECLIPRECT, EMR_EXTSELECTCLIPRGN, EMR_FILLRGN, EMR_PAINTRGN},
            &Player::OnClip);
        set({EMR_BITBLT, EMR_STRETCHBLT}, &Player::BitBltRecord);
        set({EMR_ALPHABLEND, EMR_TRANSPARENTBLT}, &Player::BlendRecord);
        set({EMR_STRETCHDIBITS}, &Player::StretchDibRecord);
        set({EMR_SETDIBITSTODEVICE}, &Player::SetDiBitsRecord);
        set({EMR_EXTTEXTOUTA, EMR_EXTTEXTOUTW}, &Player::TextRecord);
        set({EMR_SMALLTEXTOUT}, &Player::SmallTextRecord);
        return t;
    }();
    return table;
}

// Comments, palettes, colour management and unknown records have no handler.
void Player::Dispatch(uint32_t type, const Record& r)
{
    const auto& handlers = Handlers();
    if (type < handlers.size() && handlers[type]) (this->*handlers[type])(type, r);
}

// Window, viewport, mapping mode and world transform.
void Player::OnMapping(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
        const int32_t cx = r.I32(8), cy = r.I32(12);
        if (cx == 0 || cy == 0) break;
        if (type == EMR_SETWINDOWEXTEX) {
            st_.wex = cx;
            st_.wey = cy;
        } else {
            st_.vex = cx;
            st_.vey = cy;
        }
        Update();
        break;
    }
    case EMR_SETWINDOWORGEX: st_.wox = r.I32(8); st_.woy = r.I32(12); Update(); break;
    case EMR_SETVIEWPORTORGEX: st_.vox = r.I32(8); st_.voy = r.I32(12); Update(); break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const int32_t xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
        if (xd == 0 || yd == 0 || xn == 0 || yn == 0) break;
        double& ex = type == EMR_SCALEVIEWPORTEXTEX ? st_.vex : st_.wex;
        double& ey = type == EMR_SCALEVIEWPORTEXTEX ? st_.vey : st_.wey;
        ex = ex * xn / xd;
        ey = ey * yn / yd;
        if (ex == 0 || ey == 0 || !std::isfinite(ex) || !std::isfinite(ey)) throw Bad{};
        Update();
        break;
    }
    case EMR_SETMAPMODE: {
        const uint32_t m = r.U32(8);
        if (m >= 1 && m <= 8) {
            st_.mapMode = static_cast<int32_t>(m);
            Update();
        }
        break;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        Matrix x{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
        const uint32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.U32(32);
        switch (mode) {
        case 1: st_.world = Matrix{}; break;
        case 2: st_.world = x.Then(st_.world); break;
        case 3: st_.world = st_.world.Then(x); break;
        case 4: st_.world = x; break;
        default: throw Bad{};
        }
        Update();
        break;
    }
    default: break;
    }
}

// Drawing modes, colours, and saving and restoring the state.
void Player::OnDcState(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_SETBKMODE: {
        const uint32_t m = r.U32(8);
        if (m == 1 || m == 2) dc_.SetBkMode(static_cast<BkMode>(m));
        break;
    }
    case EMR_SETPOLYFILLMODE: {
        const uint32_t m = r.U32(8);
        if (m == 1 || m == 2) dc_.SetPolyFillMode(static_cast<PolyFillMode>(m));
        break;
    }
    case EMR_SETTEXTALIGN: dc_.SetTextAlign(r.U32(8) & (kTaUpdateCp | kTaCenter | kTaBaseline)); break;
    case EMR_SETTEXTCOLOR: dc_.SetTextColor(r.U32(8) & 0xFFFFFF); break;
    case EMR_SETBKCOLOR: dc_.SetBkColor(r.U32(8) & 0xFFFFFF); break;
    case EMR_SETBRUSHORGEX: {
        // Device units of the reference device: only the frame mapping
        // applies; the context keeps its brush origin in device pixels.
        double x, y;
        frame_.Apply(r.I32(8), r.I32(12), x, y);
        const DcPoint org = dc_.State().viewportOrg;
        dc_.SetBrushOrg({Clamp(x + org.x), Clamp(y + org.y)});
        break;
    }
    case EMR_SETARCDIRECTION: {
        const uint32_t d = r.U32(8);
        if (d == 1 || d == 2) st_.arcDirection = static_cast<int32_t>(d);
        break;
    }
    case EMR_SAVEDC:
        if (stack_.size() < kMaxSaveDepth) {
            stack_.push_back(st_);
            dc_.SaveDC();
        }
        break;
    case EMR_RESTOREDC: {
        const int32_t rel = r.I32(8);
        if (rel >= 0 || static_cast<uint64_t>(-int64_t(rel)) > stack_.size()) break;
        const size_t keep = stack_.size() - static_cast<size_t>(-int64_t(rel));
        st_ = stack_[keep];
        stack_.resize(keep);
        dc_.RestoreDC(rel);
        Update();
        break;
    }
    default: break;
    }
}

// Creating, selecting and deleting pens, brushes, fonts and others.
void Player::OnObject(uint32_t type, const Record& r)
{
    switch (type) {
    case EMR_SELECTOBJECT: Select(r.U32(8)); break;
    case EMR_DELETEOBJECT: {
        const uint32_t i = r.U32(8);
        if (!(i & 0x80000000u)) Slot(i) = Object{};
        break;
    }
    case EMR_CREATEPEN: {
        Object& o = Slot(r.U32(8));
        o = Object{};
        o.kind = Object::Pen;
        o.pen = LogPen{r.U32(12), r.I32(16), r.U32(24) & 0xFFFFFF};
        break;
    }
    case EMR_EXTCREATEPEN: {
        Object& o = Slot(r.U32(8));
        o = Object{};
        o.kind = Object::Pen;
        const uint32_t style = r.U32(28);
        const int32_t width = r.I32(32);
        o.pen = LogPen{style, (style & 0xF0000) == 0x10000 ? width : 0, r.U32(40) & 0xFFFFFF};
        if (r.U32(36) == 1) o.pen.style = (o.pen.style & ~0xFu) | 5;  // hollow brush: no line
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        Object& o = Slot(r.U32(8));
        o = Object{};
        o.kind = Object::Brush;
        const uint32_t style = r.U32(12), colour = r.U32(16) & 0xFFFFFF, hatch = r.U32(20);
        if (style == 1) o.brush = DcBrush::Null();
        else if (style == 2 && hatch <= 5) o.brush = DcBrush::Hatched(static_cast<HatchStyle>(hatch), colour);
        else o.brush = DcBrush::Solid(colour);
        break;
    }
    case EMR_CREATEMONOBRUSH: CreateBrushFromDib(r, true); break;
    case EMR_CREATEDIBPATTERNBRUSHPT: CreateBrushFromDib(r, false); break;
    case EMR_EXTCREATEFONTINDIRECTW: {
        Object& o = Slot(r.U32(8));
        r.Need(12 + 92);
        o = Object{};
        o.kind = Object::Font;
        LogFont& f = o.font;
        f.height = r.I32(12);
        f.width = r.I32(16);
        f.escapement = r.I32(20);
        f.orientation = r.I32(24);
        f.weight = r.I32(28);
        f.italic = r.U8(32);
        f.underline = r.U8(33);
        f.strikeOut = r.U8(34);
        f.charSet = r.U8(35);
        f.pitchAndFamily = r.U8(39);
        std::u16string face;
        for (uint32_t i = 0; i < 32; ++i) {
            const char16_t c = r.U16(40 + 2 * i);
            if (c == 0) break;
            face += c;
        }
        f.face = Utf16ToUtf8(face);
        break;
    }
    case EMR_CREATEPALETTE: case EMR_CREATECOLORSPACE: case EMR_CREATECOLORSPACEW: {
        Object& o = Slot(r.U32(8));
        o = Object{};
        o.kind = Object::Other;
        break;
    }
    case EMR_DELETECOLORSPACE: Slot(r.U32(8)) = Object{}; break;
    default: break;
    }
}

} // namespace nv::emf
