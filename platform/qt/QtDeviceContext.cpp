#include "platform/qt/QtDeviceContext.h"

#include <QImage>
#include <QPaintDevice>
#include <QRegion>
#include <QGlyphRun>
#include <QPaintEngine>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <mutex>

#include "platform/gdi/GdiRules.h"

namespace nv {

namespace {

// The toolkit's PDF writer takes two buffers of 10 MB to compress every
// page. With the C library's defaults they are handed back to the system
// when freed and faulted in afresh for the next page, which costs more than
// drawing the page: such buffers stay in the heap, and the heap keeps up to
// 64 MB it no longer uses, once a PDF is written in the process.
void KeepPdfPageBuffers()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    });
#endif
}

} // namespace

QColor ToQColor(ColorRef c) { return QColor(ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c)); }

QtDeviceContext::QtDeviceContext(QPainter& painter, bool printing, int32_t dpiX, int32_t dpiY, DcPoint physicalOffset)
    : painter_(painter), printing_(printing), physicalOffset_(physicalOffset)
{
    QPaintDevice* device = painter.device();
    dpiX_ = dpiX > 0 ? dpiX : (device ? device->logicalDpiX() : 96);
    dpiY_ = dpiY > 0 ? dpiY : (device ? device->logicalDpiY() : 96);
    size_ = device ? DcSize{device->width(), device->height()} : DcSize{};
    if (!painter_.isActive()) {
        ReportError("the paint device cannot be drawn on");
        return;
    }
    if (painter_.paintEngine() && painter_.paintEngine()->type() == QPaintEngine::Pdf) KeepPdfPageBuffers();
    ResetPainter();
}

void QtDeviceContext::ResetPainter()
{
    // Glyphs still held were meant for the surface the painter has left.
    held_.glyphs.clear();
    held_.positions.clear();
    held_.clipped.clear();
    held_.clippedBounds = {};
    if (!painter_.isActive()) return;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, textAntialiasing_);
    painter_.setWorldTransform(QTransform());
    painter_.setClipping(false);
    painter_.setBackgroundMode(Qt::TransparentMode);
    appliedClip_.reset();
    clipApplied_ = true;
}

QtDeviceContext::~QtDeviceContext() { Flush(); }

void QtDeviceContext::Flush()
{
    if (held_.glyphs.isEmpty() && held_.clipped.empty()) return;
    if (painter_.isActive() && !held_.glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(held_.font);
        run.setGlyphIndexes(held_.glyphs);
        run.setPositions(held_.positions);
        painter_.setPen(held_.colour);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    // The lists are no longer shared with a run here, so clearing them keeps
    // their room for the next page's glyphs.
    held_.glyphs.clear();
    held_.positions.clear();
    if (held_.clipped.empty()) return;
    if (painter_.isActive()) {
        for (const std::vector<size_t>& batch : ClippedBatches(held_.clipped)) {
            const ClippedRun& first = held_.clipped[batch.front()];
            painter_.setPen(first.colour);
            if (batch.size() == 1) {
                painter_.setClipRect(first.clip);
                painter_.drawGlyphRun(first.at, first.run);
                continue;
            }
            QRegion clip;
            QList<quint32> glyphs;
            QList<QPointF> positions;
            for (size_t k : batch) {
                const ClippedRun& c = held_.clipped[k];
                clip += c.clip;
                glyphs.append(c.run.glyphIndexes());
                for (const QPointF& at : c.run.positions()) positions.append(at + c.at);
            }
            QGlyphRun run;
            run.setRawFont(first.run.rawFont());
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter_.setClipRegion(clip);
            painter_.drawGlyphRun(QPointF(0, 0), run);
        }
        painter_.setClipping(false);
        appliedClip_.reset();
        clipApplied_ = true;
    }
    held_.clipped.clear();
    held_.clippedBounds = {};
}

namespace {

QRect ToQRect(const DcRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

} // namespace

// Clipped runs in batches that each go out as one run clipped to all their
// clips: one font and colour, and no run's glyphs reaching into another's
// clip. A run joins the first batch it fits; the batches after it, drawn
// later, must then not ink its pixels (cells side by side never do).
std::vector<std::vector<size_t>> QtDeviceContext::ClippedBatches(const std::vector<ClippedRun>& runs)
{
    std::vector<std::vector<size_t>> batches;
    std::vector<QRect> drawn(runs.size()); // the pixels each run may ink
    for (size_t i = 0; i < runs.size(); ++i) drawn[i] = ToQRect(runs[i].ink) & runs[i].clip;
    const auto fits = [&](size_t i, const std::vector<size_t>& batch) {
        const ClippedRun& r = runs[i];
        const ClippedRun& first = runs[batch.front()];
        if (r.colour != first.colour || r.run.rawFont() != first.run.rawFont()) return false;
        for (size_t k : batch)
            if (ToQRect(r.ink).intersects(runs[k].clip) || ToQRect(runs[k].ink).intersects(r.clip)) return false;
        return true;
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        size_t b = batches.size();
        for (size_t at = batches.size(); at-- > 0;) {
            // Joining a batch before `at` would put i under the runs of the
            // batches from `at` on.
            bool overlaps = false;
            for (size_t k : batches[at]) overlaps = overlaps || drawn[k].intersects(drawn[i]);
            if (overlaps) break;
            if (fits(i, batches[at])) b = at;
        }
        if (b == batches.size()) batches.emplace_back();
        batches[b].push_back(i);
    }
    return batches;
}

bool QtDeviceContext::TouchesClipped(const DcRect& ink) const
{
    if (held_.clipped.empty() || held_.clippedBounds.Intersect(ink).IsEmpty()) return false;
    for (const ClippedRun& c : held_.clipped)
        if (!c.ink.Intersect(ink).IsEmpty()) return true;
    return false;
}

void QtDeviceContext::Prepare()
{
    Flush();
    const auto& clip = State().clip;
    if (!clipApplied_ || clip != appliedClip_) {
        if (!clip) {
            painter_.setClipping(false);
        } else {
            QRegion region;
            for (const DcRect& r : clip->Rects()) region += QRect(r.left, r.top, r.Width(), r.Height());
            // An empty region must clip everything away, not turn clipping off.
            if (region.isEmpty()) region = QRegion(QRect(-10, -10, 1, 1));
            painter_.setClipRegion(region);
        }
        appliedClip_ = clip;
        clipApplied_ = true;
    }
}

bool QtDeviceContext::HasBrush(const DcBrush& b) const
{
    return b.style != BrushStyle::Null && !(b.style == BrushStyle::Image && (!b.image || b.image->IsNull()));
}

QBrush QtDeviceContext::MakeBrush(const DcBrush& b) const
{
    switch (b.style) {
    case BrushStyle::Solid: return QBrush(ToQColor(b.colour));
    case BrushStyle::Pattern:
    case BrushStyle::Hatch: {
        QImage tile(8, 8, QImage::Format_ARGB32);
        bool hatch = b.style == BrushStyle::Hatch;
        const auto& rows = hatch ? HatchBits(b.hatch) : b.pattern;
        QRgb on = hatch ? ToQColor(b.colour).rgb() : ToQColor(State().bkColour).rgb();
        QRgb off = hatch ? (State().bkMode == BkMode::Opaque ? ToQColor(State().bkColour).rgb() : qRgba(0, 0, 0, 0))
                         : ToQColor(State().textColour).rgb();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) tile.setPixel(x, y, (rows[size_t(y)] >> (7 - x)) & 1 ? on : off);
        return QBrush(tile);
    }
    case BrushStyle::Image:
        if (b.image && !b.image->IsNull()) return QBrush(ToQImage(*b.image));
        return QBrush(Qt::NoBrush);
    default: return QBrush(Qt::NoBrush);
    }
}

void QtDeviceContext::DoFillRect(const DcRect& r, const DcBrush& brush)
{
    if (r.IsEmpty() || !HasBrush(brush)) return;
    Prepare();
    painter_.setBrushOrigin(State().brushOrg.x, State().brushOrg.y);
    painter_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), MakeBrush(brush));
}

void QtDeviceContext::DoSetPixel(int32_t x, int32_t y, ColorRef c)
{
    Prepare();
    painter_.fillRect(QRect(x, y, 1, 1), ToQColor(c));
}

void QtDeviceContext::DoImage(const DcRect& dst, const DcImage& image, const DcRect& src)
{
    if (dst.Width() == 0 || dst.Height() == 0) return;
    Prepare();
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             qsizetype(image.width) * 4, QImage::Format_ARGB32);
    QRect target(dst.left, dst.top, dst.Width(), dst.Height());
    QRect source(src.left, src.top, src.Width(), src.Height());
    // Mirrored rectangles flip the picture, as stretching does.
    QImage part = q.copy(source.normalized());
    bool flipX = (target.width() < 0) != (source.width() < 0);
    bool flipY = (target.height() < 0) != (source.height() < 0);
    if (flipX || flipY) part = part.mirrored(flipX, flipY);
    painter_.drawImage(target.normalized(), part);
}

QImage ToQImage(const DcImage& image)
{
    if (image.IsNull()) return QImage();
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             qsizetype(image.width) * 4, QImage::Format_ARGB32);
    return q.copy();
}

DcImage FromQImage(const QImage& image)
{
    if (image.isNull()) return DcImage();
    QImage q = image.convertToFormat(QImage::Format_ARGB32);
    DcImage out(q.width(), q.height());
    for (int y = 0; y < q.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(q.constScanLine(y));
        std::copy(row, row + q.width(), out.pixels.begin() + ptrdiff_t(y) * q.width());
    }
    return out;
}

} // namespace nv
