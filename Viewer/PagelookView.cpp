#include "Viewer/PagelookView.h"

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "platform/qt/QtDeviceContext.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace nv::viewer {

namespace {
const QColor kGrey(128, 128, 128);
}

PagelookView::PagelookView(std::unique_ptr<PagelookDoc> doc, int dpi, const ViewerOptions& options,
                           const AppPrinter& printer, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(std::move(doc)), m_options(options), m_dpi(dpi > 0 ? dpi : 96),
      m_printer(printer), m_scaler(m_dpi, m_dpi, 100), m_paperMode(options.printMode)
{
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::OpenHandCursor);
    m_pageCount = m_doc->PageCount();
    m_printFlags.assign(static_cast<size_t>(std::max(0, m_pageCount)), 1);
    SyncPage();
    RecomputeZoom();
    SetScrollSizes();
}

PagelookView::~PagelookView() = default;

void PagelookView::SetPage(int page)
{
    page = std::clamp(page, 1, std::max(1, m_pageCount));
    if (page == m_page) return;
    m_page = page;
    Relayout();
}

void PagelookView::SetZoom(int zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (m_zoomMode == 1 && zoom == m_zoom) return;
    m_zoomMode = 1;
    m_zoom = zoom;
    Relayout();
}

void PagelookView::Fit(int command)
{
    if (command != cmd::kFitHeight && command != cmd::kFitWidth && command != cmd::kFitPage) return;
    m_fitMode = command;
    m_zoomMode = 0;
    Relayout();
}

void PagelookView::Refresh(bool force)
{
    if (force) m_paperPage = 0;
    Relayout();
}

void PagelookView::SetPaperMode(int mode)
{
    if (mode == m_paperMode) return;
    m_paperMode = mode;
    m_paperPage = 0;
}

void PagelookView::Relayout()
{
    SyncPage();
    RecomputeZoom();
    SetScrollSizes();
    viewport()->update();
    emit StateChanged();
}

void PagelookView::SyncPage()
{
    if (m_page == m_paperPage) return;
    m_layout = SetUpPaper(m_doc->Report().GetPageSettings(m_page), m_printer.setup ? &*m_printer.setup : nullptr,
                          m_paperMode, *m_printer.catalog);
    m_paperPage = m_page;
}

void PagelookView::RecomputeZoom()
{
    if (m_zoomMode == 0) {
        // The area without scroll bars, so that showing them cannot change
        // the fit and hide them again.
        const QSize area = maximumViewportSize();
        const UnitScaler at100(m_dpi, m_dpi, 100);
        const double w = double(at100.DeviceToDocX(area.width())) - kTenMm;
        const double h = double(at100.DeviceToDocY(area.height())) - kTenMm;
        const double byHeight = h / m_layout.sheet.height * 100;
        const double byWidth = w / m_layout.sheet.width * 100;
        double z = m_fitMode == cmd::kFitHeight  ? byHeight
                   : m_fitMode == cmd::kFitWidth ? byWidth
                                                 : std::min(byHeight, byWidth);
        z = std::clamp(z, 10.0, double(kMaxZoom));
        m_zoom = static_cast<int>(z);
    }
    m_scaler.SetFromDC(m_dpi, m_dpi, m_zoom);
}

QSize PagelookView::SheetSize() const
{
    return {m_scaler.DocToDeviceX(m_layout.sheet.width), m_scaler.DocToDeviceY(m_layout.sheet.height)};
}

QPoint PagelookView::SheetOffset() const
{
    const QSize sheet = SheetSize();
    int x = (viewport()->width() - sheet.width()) / 2;
    int y = (viewport()->height() - sheet.height()) / 2;
    if (x <= 0) x = m_scaler.DocToDeviceX(kFiveMm);
    if (y <= 0) y = m_scaler.DocToDeviceY(kFiveMm);
    return {x, y};
}

QSize PagelookView::ScrollSize() const
{
    const QSize sheet = SheetSize();
    const QPoint off = SheetOffset();
    return {sheet.width() + 2 * off.x(), sheet.height() + 2 * off.y()};
}

void PagelookView::SetScrollSizes()
{
    // Scroll bars showing or hiding resize the viewport, which changes the
    // offset; a second pass settles it (a bar never goes away because the
    // other one came).
    for (int pass = 0; pass < 2; ++pass) {
        const QSize total = ScrollSize();
        const QSize vp = viewport()->size();
        horizontalScrollBar()->setRange(0, std::max(0, total.width() - vp.width()));
        verticalScrollBar()->setRange(0, std::max(0, total.height() - vp.height()));
        horizontalScrollBar()->setPageStep(vp.width());
        verticalScrollBar()->setPageStep(vp.height());
        horizontalScrollBar()->setSingleStep(std::max(1, vp.width() / 10));
        verticalScrollBar()->setSingleStep(std::max(1, vp.height() / 10));
    }
}

QPoint PagelookView::Scroll() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

QString PagelookView::PaperPaneText() const
{
    return QStringLiteral("%1：%2").arg(m_layout.sheet.name, m_layout.sheet.OrientationText());
}

QString PagelookView::PagePaneText() const { return QStringLiteral(" %1/ %2ページ").arg(m_page).arg(m_pageCount); }

void PagelookView::paintEvent(QPaintEvent* e)
{
    QPainter painter(viewport());
    const QRect exposed = e->rect();
    painter.fillRect(exposed, kGrey);
    const QPoint origin = SheetOffset() - Scroll();
    const QRect sheet(origin, SheetSize());
    painter.fillRect(sheet.intersected(exposed), Qt::white);
    if (m_options.headOffSet == 1) DrawMargins(painter, sheet);
    const QRect visible = sheet.intersected(exposed);
    if (visible.isEmpty()) return;

    bool failed = false;
    {
        QtDeviceContext dc(painter, false, m_dpi, m_dpi);
        dc.SetViewportOrg({origin.x(), origin.y()});
        const QRect clip = visible.translated(-origin);
        dc.IntersectClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        const int zoom = static_cast<int>(int64_t(m_zoom) * m_layout.sheet.scale / 100);
        try {
            m_doc->Report().DrawPage(dc, m_page, {0, 0}, zoom);
        } catch (...) {
            failed = true;
        }
        failed = failed || dc.Failed();
    }
    if (m_options.wakusen == 1) DrawOutline(painter, origin);
    if (failed) emit DrawFailed(m_page);
}

void PagelookView::DrawMargins(QPainter& painter, const QRect& sheet) const
{
    const ViewPaper& l = m_layout;
    painter.fillRect(sheet, QColor(200, 255, 200));
    const QRect printable(sheet.left() + m_scaler.DocToDeviceX(l.marginLeft),
                          sheet.top() + m_scaler.DocToDeviceY(l.marginTop),
                          m_scaler.DocToDeviceX(l.sheet.width - l.marginRight) - m_scaler.DocToDeviceX(l.marginLeft),
                          m_scaler.DocToDeviceY(l.sheet.height - l.marginBottom) - m_scaler.DocToDeviceY(l.marginTop));
    painter.fillRect(printable, Qt::white);
}

void PagelookView::DrawOutline(QPainter& painter, QPoint origin) const
{
    // The page's own paper, turned as the page is, at the sheet's scale.
    const UnitScaler atScale(m_dpi, m_dpi, static_cast<int>(int64_t(m_zoom) * m_layout.sheet.scale / 100));
    const QRect r(origin, QSize(atScale.DocToDeviceX(m_layout.page.width), atScale.DocToDeviceY(m_layout.page.height)));
    painter.setClipping(false);
    painter.setPen(QPen(QColor(255, 0, 0), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

void PagelookView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    RecomputeZoom();
    SetScrollSizes();
    if (m_zoomMode == 0) emit StateChanged();
}

void PagelookView::scrollContentsBy(int, int) { viewport()->update(); }

void PagelookView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        viewport()->setCursor(Qt::ClosedHandCursor);
        m_dragAnchor = e->position().toPoint() + Scroll();
    }
    QAbstractScrollArea::mousePressEvent(e);
}

void PagelookView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) viewport()->setCursor(Qt::OpenHandCursor);
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void PagelookView::mouseMoveEvent(QMouseEvent* e)
{
    // Exactly the left button: a second button held means no drag.
    if (e->buttons() == Qt::LeftButton) {
        viewport()->setCursor(Qt::ClosedHandCursor);
        const QPoint logical = e->position().toPoint() + Scroll();
        if (logical.x() != m_dragAnchor.x())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + m_dragAnchor.x() - logical.x());
        if (logical.y() != m_dragAnchor.y())
            verticalScrollBar()->setValue(verticalScrollBar()->value() + m_dragAnchor.y() - logical.y());
    } else {
        viewport()->setCursor(Qt::OpenHandCursor);
    }
    QAbstractScrollArea::mouseMoveEvent(e);
}

} // namespace nv::viewer
