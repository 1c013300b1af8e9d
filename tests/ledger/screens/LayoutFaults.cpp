#include "LayoutFaults.h"

#include "support/CountingPaintDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

#include <cmath>

namespace nvtest {

namespace {

QString Name(const QWidget* w)
{
    QString n = w->objectName().isEmpty() ? QStringLiteral("(unnamed)") : w->objectName();
    return n + "<" + QString::fromLatin1(w->metaObject()->className()) + ">";
}

QString Box(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Controls whose inside is their own business: a grid, a combo, a text box.
bool Opaque(const QWidget* w)
{
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QMenuBar*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QLabel*>(w);
}

// The lines as drawn; blanks at a line's end show nothing.
QStringList Lines(QString text)
{
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        qsizetype n = line.size();
        while (n > 0 && line[n - 1].isSpace()) --n;
        line.truncate(n);
    }
    return lines;
}

// The space the text needs, drawn in the widget's font.
QSize TextSize(const QWidget* w, const QString& text)
{
    const QFontMetrics fm = w->fontMetrics();
    int width = 0;
    const QStringList lines = Lines(text);
    for (const QString& line : lines) width = qMax(width, fm.horizontalAdvance(line));
    return QSize(width, fm.height() * int(lines.size()));
}

QString Shown(QString caption)
{
    // "&&" is a drawn "&"; a single "&" marks the mnemonic and takes no room.
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption;
}

void CheckLabel(const QLabel* l, QStringList& out)
{
    if (l->text().isEmpty()) return;
    const int m = l->margin();
    QRect room = l->contentsRect().adjusted(m, m, -m, -m);
    // A framed label without an indent of its own keeps half an "x" clear.
    int indent = l->indent();
    if (indent < 0 && l->frameWidth() > 0) indent = l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0) room.setWidth(room.width() - indent);
    if (l->wordWrap()) {
        if (l->heightForWidth(l->width()) > l->height())
            out << QStringLiteral("%1 \"%2\": wrapped text needs %3 px high, has %4")
                       .arg(Name(l), l->text())
                       .arg(l->heightForWidth(l->width()))
                       .arg(l->height());
        return;
    }
    const QSize need = TextSize(l, l->text());
    if (need.width() > room.width() || need.height() > room.height())
        out << QStringLiteral("%1 \"%2\": text needs %3x%4, has %5x%6")
                   .arg(Name(l), l->text())
                   .arg(need.width()).arg(need.height())
                   .arg(room.width()).arg(room.height());
}

void CheckButton(const QAbstractButton* b, QStringList& out)
{
    const QString text = Shown(b->text());
    if (text.isEmpty()) return;
    const QStyle* s = b->style();
    QSize need = TextSize(b, text);
    if (qobject_cast<const QPushButton*>(b)) {
        // The style's own room around a caption: its margin and the frame.
        const int room = s->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                         2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        need += QSize(room, 2);
        if (!b->icon().isNull()) need.rwidth() += b->iconSize().width() + 4;
    } else {
        // Radio and check buttons: the indicator, its gap, then the text.
        const bool radio = qobject_cast<const QRadioButton*>(b);
        need.rwidth() += s->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, b) +
                         s->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr, b);
    }
    if (need.width() > b->width() || need.height() > b->height())
        out << QStringLiteral("%1 \"%2\": caption needs %3x%4, has %5x%6")
                   .arg(Name(b), b->text())
                   .arg(need.width()).arg(need.height())
                   .arg(b->width()).arg(b->height());
}

void CheckGroupBox(const QGroupBox* g, QStringList& out)
{
    const QString title = Shown(g->title());
    if (title.isEmpty()) return;
    const int need = g->fontMetrics().horizontalAdvance(title) + 2 * g->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    if (need > g->width())
        out << QStringLiteral("%1 \"%2\": title needs %3, has %4").arg(Name(g), title).arg(need).arg(g->width());
}

void CheckHeader(const QTableView* view, QStringList& out)
{
    const QHeaderView* h = view->horizontalHeader();
    if (!h->isVisible() || !view->model()) return;
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    for (int i = 0; i < h->count(); ++i) {
        if (h->isSectionHidden(i)) continue;
        const QString text = view->model()->headerData(i, Qt::Horizontal).toString();
        if (text.isEmpty()) continue;
        const QSize need = TextSize(h, text) + QSize(2 * margin, 0);
        if (need.width() > h->sectionSize(i) || need.height() > h->height())
            out << QStringLiteral("%1 header %2 \"%3\": needs %4x%5, has %6x%7")
                       .arg(Name(view)).arg(i).arg(text)
                       .arg(need.width()).arg(need.height())
                       .arg(h->sectionSize(i)).arg(h->height());
    }
}

// Each figure (a cell aligned to the right) as a person sees it once the
// grid is scrolled to it: whole inside the part of the cell that lies in the
// view (the cell's rect leaves out the grid line), clear of the scroll bars. A text may end at
// its cell's edge, a figure may not. One fault a column.
void CheckCells(QTableView* view, QStringList& out)
{
    const QAbstractItemModel* m = view->model();
    if (!m || !view->isVisible()) return;
    const int hPos = view->horizontalScrollBar()->value(), vPos = view->verticalScrollBar()->value();
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    for (int c = 0; c < m->columnCount(); ++c) {
        if (view->isColumnHidden(c)) continue;
        for (int r = 0; r < m->rowCount(); ++r) {
            const QModelIndex at = m->index(r, c);
            const QString text = Lines(at.data(Qt::DisplayRole).toString()).join(QString());
            if (text.isEmpty() || !(at.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight)) continue;
            view->scrollTo(at);
            const QRect shown = view->visualRect(at).intersected(view->viewport()->rect());
            const QFont font = at.data(Qt::FontRole).isValid() ? at.data(Qt::FontRole).value<QFont>() : view->font();
            // Drawn at the screen's scale a text may take a fraction of a
            // pixel more than its rounded width, and is then cut.
            const int need = int(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) + 2 * margin;
            if (need <= shown.width()) continue;
            out << QStringLiteral("%1 row %2 column %3 \"%4\": needs %5 px, shows %6")
                       .arg(Name(view)).arg(r).arg(c).arg(text)
                       .arg(need).arg(shown.width());
            break;
        }
    }
    view->horizontalScrollBar()->setValue(hPos);
    view->verticalScrollBar()->setValue(vPos);
}

void Walk(QWidget* parent, QStringList& out)
{
    QList<QWidget*> shown;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || !w->isVisible()) continue;
        shown << w;
    }
    const QRect inside = parent->rect();
    for (int i = 0; i < shown.size(); ++i) {
        QWidget* w = shown[i];
        if (!inside.contains(w->geometry()))
            out << QStringLiteral("%1 at %2 leaves %3 (%4)").arg(Name(w), Box(w->geometry()), Name(parent), Box(inside));
        for (int j = i + 1; j < shown.size(); ++j)
            if (w->geometry().intersects(shown[j]->geometry()))
                out << QStringLiteral("%1 at %2 overlaps %3 at %4")
                           .arg(Name(w), Box(w->geometry()), Name(shown[j]), Box(shown[j]->geometry()));
        if (auto* l = qobject_cast<QLabel*>(w)) CheckLabel(l, out);
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) CheckButton(b, out);
        else if (auto* t = qobject_cast<QTableView*>(w)) {
            CheckHeader(t, out);
            CheckCells(t, out);
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) CheckGroupBox(g, out);
        if (!Opaque(w)) Walk(w, out);
        // A scrolling page's controls are the window's own.
        if (auto* page = qobject_cast<QScrollArea*>(w); page && page->widget()) Walk(page->widget(), out);
    }
}

// A grid whose rows or columns run past its view needs the scroll bar that
// reaches them.
void CheckReach(QWidget* window, QStringList& out)
{
    for (QTableView* t : window->findChildren<QTableView*>()) {
        if (!t->isVisibleTo(window)) continue;
        const struct { const QHeaderView* header; const QScrollBar* bar; int has; const char* what; } ways[] = {
            {t->horizontalHeader(), t->horizontalScrollBar(), t->viewport()->width(), "columns"},
            {t->verticalHeader(), t->verticalScrollBar(), t->viewport()->height(), "rows"}};
        for (const auto& w : ways)
            if (w.header->length() > w.has && !w.bar->isVisibleTo(window))
                out << QStringLiteral("%1: its %2 need %3 px, its view has %4 and no scroll bar")
                           .arg(Name(t), QLatin1String(w.what))
                           .arg(w.header->length())
                           .arg(w.has);
    }
}

// The button that closes a window is in sight without scrolling: nothing
// that scrolls holds any part of it out of view.
void CheckCloseButton(QWidget* window, QStringList& out)
{
    for (QPushButton* b : window->findChildren<QPushButton*>(QStringLiteral("cmdClose"))) {
        if (!b->isVisibleTo(window)) continue;
        for (QWidget* p = b->parentWidget(); p && p != window; p = p->parentWidget()) {
            auto* area = qobject_cast<QAbstractScrollArea*>(p);
            if (!area) continue;
            const QRect inView(b->mapTo(area->viewport(), QPoint(0, 0)), b->size());
            if (!area->viewport()->rect().contains(inView))
                out << QStringLiteral("%1 at %2 is out of sight in %3 (%4): reached only by scrolling")
                           .arg(Name(b), Box(inView), Name(area), Box(area->viewport()->rect()));
        }
    }
}

void Settle()
{
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
}

} // namespace

QStringList WorkAreaFaults(QWidget* window, const QRect& workArea)
{
    QStringList out;
    const QRect opened = window->geometry();
    const QRect frame = window->frameGeometry();
    if (!workArea.contains(frame))
        out << QStringLiteral("the window's frame at %1 leaves the work area %2").arg(Box(frame), Box(workArea));
    CheckReach(window, out);
    CheckCloseButton(window, out);
    // As small as it goes: the layout keeps it at its minimum.
    const QSize frameExtra = frame.size() - opened.size();
    window->resize(1, 1);
    Settle();
    if (window->width() + frameExtra.width() > workArea.width() ||
        window->height() + frameExtra.height() > workArea.height())
        out << QStringLiteral("the window cannot be made smaller than %1x%2 (with its frame %3x%4)")
                   .arg(window->width()).arg(window->height())
                   .arg(window->width() + frameExtra.width()).arg(window->height() + frameExtra.height());
    for (const QString& f : LayoutFaults(window)) out << QStringLiteral("at its smallest: ") + f;
    QStringList reach;
    CheckReach(window, reach);
    CheckCloseButton(window, reach);
    for (const QString& f : reach) out << QStringLiteral("at its smallest: ") + f;
    window->setGeometry(opened);
    Settle();
    return out;
}

QStringList DrawnGridFaults(QTableView* view)
{
    QStringList out;
    Settle();
    QWidget* port = view->viewport();
    const QRect inView = port->rect();
    CountingPaintDevice device(port->width(), port->height(), port->logicalDpiX());
    port->render(&device);
    for (const QPointF& start : device.Engine().textStarts) {
        // Just inside the text: its start may lie left of a cut view.
        const QModelIndex at = view->model()->index(view->rowAt(int(start.y()) - 2), view->columnAt(int(start.x()) + 1));
        if (!at.isValid() || !(at.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight)) continue;
        const QRect cell = view->visualRect(at);
        if (!inView.contains(cell))
            out << QStringLiteral("%1 row %2 column %3 \"%4\" drawn at %5, the view is %6")
                       .arg(Name(view)).arg(at.row()).arg(at.column()).arg(at.data().toString(), Box(cell), Box(inView));
    }
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && !inView.contains(view->visualRect(current)))
        out << QStringLiteral("%1 current cell row %2 column %3 at %4, the view is %5")
                   .arg(Name(view)).arg(current.row()).arg(current.column()).arg(Box(view->visualRect(current)), Box(inView));
    return out;
}

QStringList LayoutFaults(QWidget* window)
{
    QStringList out;
    Walk(window, out);
    return out;
}

} // namespace nvtest
