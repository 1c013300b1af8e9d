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

    PagelookDoc& Document() { return *m_doc; }
    int CurrentPage() const { return m_page; }
    int PageCount() const { return m_pageCount; }
    int Zoom() const { return m_zoom; }
    int ZoomMode() const { return m_zoomMode; }   // 0 fit, 1 fixed
    int FitMode() const { return m_fitMode; }
    int PaperMode() const { return m_paperMode; }
    // The sheet shown, and the page's own paper with the printer's margins.
    const PagePaper& Paper() const { return m_layout.sheet; }
    const ViewPaper& Layout() const { return m_layout; }
    // A new paper mode reads the paper again.
    void SetPaperMode(int mode);
    std::vector<int>& PrintFlags() { return m_printFlags; }

    // The page, kept within 1..page count.
    void SetPage(int page);
    void FirstPage() { SetPage(1); }
    void PrevPage() { SetPage(m_page - 1); }
    void NextPage() { SetPage(m_page + 1); }
    void LastPage() { SetPage(m_pageCount); }
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

    TreePane::DocumentId TreeItem() const { return m_treeItem; }
    void SetTreeItem(TreePane::DocumentId item) { m_treeItem = item; }

signals:
    // Page, zoom or paper changed: the frame updates its panes and commands.
    void StateChanged();
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
    void RecomputeZoom();
    void SetScrollSizes();
    void Relayout();
    QPoint Scroll() const;
    // The printer's margins shaded on the sheet.
    void DrawMargins(QPainter& painter, const QRect& sheet) const;
    // The page's own paper outlined in red at the page's scale.
    void DrawOutline(QPainter& painter, QPoint origin) const;

    std::unique_ptr<PagelookDoc> m_doc;
    const ViewerOptions& m_options;
    int m_dpi;
    const AppPrinter& m_printer;
    UnitScaler m_scaler;
    ViewPaper m_layout;
    int m_paperPage = 0;
    int m_page = 1;
    int m_pageCount = 0;
    int m_zoomMode = 1;
    int m_fitMode = 0;
    int m_zoom = 100;
    int m_paperMode = 0;
    std::vector<int> m_printFlags;
    QPoint m_dragAnchor;
    TreePane::DocumentId m_treeItem = 0;
};

} // namespace nv::viewer
