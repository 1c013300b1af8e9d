#include "Viewer/PagelookView.h"

#include "Viewer/CommandIds.h"
#include "Viewer/PagelookDoc.h"
#include "engine/core/EngineLog.h"
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
    : QAbstractScrollArea(parent), doc_(std::move(doc)), options_(options), dpi_(dpi > 0 ? dpi : 96),
      printer_(printer), scaler_(dpi_, dpi_, 100), paperMode_(options.printMode)
{
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::OpenHandCursor);
    pageCount_ = doc_->PageCount();
    printFlags_.assign(static_cast<size_t>(std::max(0, pageCount_)), 1);
    SyncPage();
    RecomputeZoom();
    SetScrollSizes();
}

PagelookView::~PagelookView() = default;

void PagelookView::SetPage(int page)
{
    page = std::clamp(page, 1, std::max(1, pageCount_));
    if (page == page_) return;
    page_ = page;
    Relayout();
}

void PagelookView::SetZoom(int zoom)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    startZoomKept_ = true;
    if (zoomMode_ == 1 && zoom == zoom_) return;
    zoomMode_ = 1;
    zoom_ = zoom;
    Relayout();
}

void PagelookView::Fit(int command)
{
    if (command != cmd::kFitHeight && command != cmd::kFitWidth && command != cmd::kFitPage) return;
    startZoomKept_ = true;
    fitMode_ = command;
    zoomMode_ = 0;
    Relayout();
}

void PagelookView::Refresh(bool force)
{
    if (force) paperPage_ = 0;
    Relayout();
}

void PagelookView::SetPaperMode(int mode)
{
    if (mode == paperMode_) return;
    paperMode_ = mode;
    paperPage_ = 0;
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
    if (page_ == paperPage_) return;
    layout_ = SetUpPaper(doc_->Report().GetPageSettings(page_), printer_.setup ? &*printer_.setup : nullptr,
                          paperMode_, *printer_.catalog);
    paperPage_ = page_;
}

void PagelookView::ChooseStartZoom()
{
    // A ledger's balance is its rightmost column: a page cut at the window's
    // edge hides it, so a page wider than the window opens at its width.
    // The vertical bar a tall page brings takes its width from the window.
    const UnitScaler at100(dpi_, dpi_, 100);
    const QSize area = maximumViewportSize();
    int width = area.width();
    if (at100.DocToDeviceY(layout_.sheet.height) > area.height()) width -= verticalScrollBar()->sizeHint().width();
    if (at100.DocToDeviceX(layout_.sheet.width) > width) {
        zoomMode_ = 0;
        fitMode_ = cmd::kFitWidth;
    } else {
        zoomMode_ = 1;
        fitMode_ = 0;
        zoom_ = 100;
    }
}

void PagelookView::RecomputeZoom()
{
    if (zoomMode_ == 0) {
        // The area without scroll bars, so that showing them cannot change
        // the fit and hide them again.
        const QSize area = maximumViewportSize();
        const UnitScaler at100(dpi_, dpi_, 100);
        const double w = double(at100.DeviceToDocX(area.width())) - kTenMm;
        const double h = double(at100.DeviceToDocY(area.height())) - kTenMm;
        const double byHeight = h / layout_.sheet.height * 100;
        const double byWidth = w / layout_.sheet.width * 100;
        double z = fitMode_ == cmd::kFitHeight  ? byHeight
                   : fitMode_ == cmd::kFitWidth ? byWidth
                                                 : std::min(byHeight, byWidth);
        z = std::clamp(z, 10.0, double(kMaxZoom));
        zoom_ = static_cast<int>(z);
    }
    scaler_.SetFromDC(dpi_, dpi_, zoom_);
}

QSize PagelookView::SheetSize() const
{
    return {scaler_.DocToDeviceX(layout_.sheet.width), scaler_.DocToDeviceY(layout_.sheet.height)};
}

QPoint PagelookView::SheetOffset() const
{
    const QSize sheet = SheetSize();
    int x = (viewport()->width() - sheet.width()) / 2;
    int y = (viewport()->height() - sheet.height()) / 2;
    if (x <= 0) x = scaler_.DocToDeviceX(kFiveMm);
    if (y <= 0) y = scaler_.DocToDeviceY(kFiveMm);
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
    return QStringLiteral("%1：%2").arg(layout_.sheet.name, layout_.sheet.OrientationText());
}

QString PagelookView::PagePaneText() const { return QStringLiteral(" %1/ %2ページ").arg(page_).arg(pageCount_); }

void PagelookView::paintEvent(QPaintEvent* e)
{
    startZoomKept_ = true;
    QPainter painter(viewport());
    const QRect exposed = e->rect();
    painter.fillRect(exposed, kGrey);
    const QPoint origin = SheetOffset() - Scroll();
    const QRect sheet(origin, SheetSize());
    painter.fillRect(sheet.intersected(exposed), Qt::white);
    if (options_.headOffSet == 1) DrawMargins(painter, sheet);
    const QRect visible = sheet.intersected(exposed);
    if (visible.isEmpty()) return;

    bool failed = false;
    std::vector<std::string> causes;
    {
        QtDeviceContext dc(painter, false, dpi_, dpi_);
        dc.SetViewportOrg({origin.x(), origin.y()});
        const QRect clip = visible.translated(-origin);
        dc.IntersectClipRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
        const int zoom = static_cast<int>(int64_t(zoom_) * layout_.sheet.scale / 100);
        try {
            doc_->Report().DrawPage(dc, page_, {0, 0}, zoom);
        } catch (...) {
            causes.push_back(CurrentExceptionText());
            failed = true;
        }
        failed = failed || dc.Failed();
        causes.insert(causes.end(), dc.Errors().begin(), dc.Errors().end());
    }
    if (failed && failureLogged_ != page_) {
        failureLogged_ = page_;
        for (const std::string& cause : causes)
            LogLine("Pagelook", doc_->Path().toStdString() + ": ページ " + std::to_string(page_) + " を表示できません: " + cause);
    }
    if (options_.wakusen == 1) DrawOutline(painter, origin);
    if (failed) emit DrawFailed(page_);
}

void PagelookView::DrawMargins(QPainter& painter, const QRect& sheet) const
{
    const ViewPaper& l = layout_;
    painter.fillRect(sheet, QColor(200, 255, 200));
    const QRect printable(sheet.left() + scaler_.DocToDeviceX(l.marginLeft),
                          sheet.top() + scaler_.DocToDeviceY(l.marginTop),
                          scaler_.DocToDeviceX(l.sheet.width - l.marginRight) - scaler_.DocToDeviceX(l.marginLeft),
                          scaler_.DocToDeviceY(l.sheet.height - l.marginBottom) - scaler_.DocToDeviceY(l.marginTop));
    painter.fillRect(printable, Qt::white);
}

void PagelookView::DrawOutline(QPainter& painter, QPoint origin) const
{
    // The page's own paper, turned as the page is, at the sheet's scale.
    const UnitScaler atScale(dpi_, dpi_, static_cast<int>(int64_t(zoom_) * layout_.sheet.scale / 100));
    const QRect r(origin, QSize(atScale.DocToDeviceX(layout_.page.width), atScale.DocToDeviceY(layout_.page.height)));
    painter.setClipping(false);
    painter.setPen(QPen(QColor(255, 0, 0), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

void PagelookView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    const bool choosing = !startZoomKept_;
    if (choosing) ChooseStartZoom();
    RecomputeZoom();
    SetScrollSizes();
    if (zoomMode_ == 0 || choosing) emit ZoomFollowedSize();
}

void PagelookView::scrollContentsBy(int, int) { viewport()->update(); }

void PagelookView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        viewport()->setCursor(Qt::ClosedHandCursor);
        dragAnchor_ = e->position().toPoint() + Scroll();
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
        if (logical.x() != dragAnchor_.x())
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dragAnchor_.x() - logical.x());
        if (logical.y() != dragAnchor_.y())
            verticalScrollBar()->setValue(verticalScrollBar()->value() + dragAnchor_.y() - logical.y());
    } else {
        viewport()->setCursor(Qt::OpenHandCursor);
    }
    QAbstractScrollArea::mouseMoveEvent(e);
}

} // namespace nv::viewer
