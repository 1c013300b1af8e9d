#pragma once
// One page of a report document on a white sheet in a grey window, with
// zoom, fit, paging and drag scrolling. Only the exposed part is painted, so
// the largest zoom costs no more memory than the window.
#include <QAbstractScrollArea>

#include <memory>
#include <vector>

#include "Viewer/PagePaper.h"
#include "Viewer/PaperSetup.h"
#include "Viewer/TreePane.h"
#include "Viewer/ViewerOptions.h"
#include "engine/format/UnitScaler.h"

namespace nv::viewer {

class PagelookDoc;

class PagelookView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 999;

    // `options` and `printer` belong to the frame and outlive the view.
    PagelookView(std::unique_ptr<PagelookDoc> doc, int dpi, const ViewerOptions& options, const AppPrinter& printer,
                 QWidget* parent = nullptr);
    ~PagelookView() override;

    PagelookDoc& Document() { return *doc_; }
    int CurrentPage() const { return page_; }
    int PageCount() const { return pageCount_; }
    int Zoom() const { return zoom_; }
    int ZoomMode() const { return zoomMode_; }   // 0 fit, 1 fixed
    int FitMode() const { return fitMode_; }
    int PaperMode() const { return paperMode_; }
    // The sheet shown, and the page's own paper with the printer's margins.
    const PagePaper& Paper() const { return layout_.sheet; }
    const ViewPaper& Layout() const { return layout_; }
    // A new paper mode reads the paper again.
    void SetPaperMode(int mode);
    std::vector<int>& PrintFlags() { return printFlags_; }

    // The page, kept within 1..page count.
    void SetPage(int page);
    void FirstPage() { SetPage(1); }
    void PrevPage() { SetPage(page_ - 1); }
    void NextPage() { SetPage(page_ + 1); }
    void LastPage() { SetPage(pageCount_); }
    // A fixed zoom, 1..999.
    void SetZoom(int zoom);
    // Fit height, width or page (their command ids).
    void Fit(int command);
    // Reads the page's paper again when `force`, then lays out and repaints.
    void Refresh(bool force);

    // Where the sheet starts in the scrolled area, and the area's size.
    QPoint SheetOffset() const;
    QSize ScrollSize() const;
    QSize SheetSize() const;
    QString PaperPaneText() const;
    QString PagePaneText() const;

    TreePane::DocumentId TreeItem() const { return treeItem_; }
    void SetTreeItem(TreePane::DocumentId item) { treeItem_ = item; }

signals:
    // Page, zoom or paper changed: the frame updates its panes and commands.
    void StateChanged();
    // A fitted zoom followed the window's size; the page and the tree's
    // caret are as they were.
    void ZoomFollowedSize();
    void DrawFailed(int page);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void SyncPage();
    // A first page wider than the window opens at fit width, any other at
    // 100 %; chosen again at each size until the page is first painted.
    void ChooseStartZoom();
    void RecomputeZoom();
    void SetScrollSizes();
    void Relayout();
    QPoint Scroll() const;
    // The printer's margins shaded on the sheet.
    void DrawMargins(QPainter& painter, const QRect& sheet) const;
    // The page's own paper outlined in red at the page's scale.
    void DrawOutline(QPainter& painter, QPoint origin) const;

    std::unique_ptr<PagelookDoc> doc_;
    const ViewerOptions& options_;
    int dpi_;
    const AppPrinter& printer_;
    UnitScaler scaler_;
    ViewPaper layout_;
    int paperPage_ = 0;
    int page_ = 1;
    int pageCount_ = 0;
    int zoomMode_ = 1;
    int fitMode_ = 0;
    int zoom_ = 100;
    int paperMode_ = 0;
    // The start zoom stands once the page is painted or the user chose a zoom.
    bool startZoomKept_ = false;
    std::vector<int> printFlags_;
    QPoint dragAnchor_;
    TreePane::DocumentId treeItem_ = 0;
    // The page whose failure to draw is in the log: every repaint of it
    // fails alike, and the log hears of it once.
    int failureLogged_ = 0;
};

} // namespace nv::viewer
