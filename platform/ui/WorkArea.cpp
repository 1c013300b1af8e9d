#include "platform/ui/WorkArea.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace nv::ui {

namespace {

bool HasFrame(const QMargins& m)
{
    return !m.isNull();
}

QMargins Between(const QRect& frame, const QRect& client)
{
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

// A window fitted on a guess of its frame is fitted again once the window
// manager has framed it: a frame thicker than guessed (a handle along the
// bottom) would leave the screen.
class RefitWhenFramed : public QObject {
public:
    static constexpr const char* kName = "refitWhenFramed";

    RefitWhenFramed(QWidget* w, QMargins guessed) : QObject(w), guessed_(guessed)
    {
        setObjectName(QLatin1String(kName));
        w->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::Paint:
            break;
        default:
            return false;
        }
        auto* w = static_cast<QWidget*>(watched);
        const QMargins framed = Between(w->frameGeometry(), w->geometry());
        if (!HasFrame(framed)) return false;
        w->removeEventFilter(this);
        deleteLater();
        if (framed != guessed_) FitIntoWorkArea(w);
        return false;
    }

private:
    QMargins guessed_;
};

} // namespace

QMargins FrameMargins(const QWidget* w)
{
    if (w->isVisible()) {
        const QMargins own = Between(w->frameGeometry(), w->geometry());
        if (HasFrame(own)) return own;
    }
    if (const QWindow* handle = w->windowHandle(); handle && HasFrame(handle->frameMargins()))
        return handle->frameMargins();
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == w || !other->isVisible() || other->windowType() == Qt::Popup || other->windowType() == Qt::ToolTip)
            continue;
        const QMargins theirs = Between(other->frameGeometry(), other->geometry());
        if (HasFrame(theirs)) return theirs;
    }
    if (w->windowFlags() & Qt::FramelessWindowHint) return {};
    const int border = 4;
    const int title = w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w);
    return QMargins(border, title + border, border, border);
}

void FitIntoWorkArea(QWidget* w)
{
    if (w->isMaximized() || w->isFullScreen()) return;
    const QScreen* screen = w->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QMargins m = FrameMargins(w);
    if (w->isVisible() && !HasFrame(Between(w->frameGeometry(), w->geometry())) && !w->findChild<QObject*>(QLatin1String(RefitWhenFramed::kName), Qt::FindDirectChildrenOnly))
        new RefitWhenFramed(w, m);
    const QSize room(area.width() - m.left() - m.right(), area.height() - m.top() - m.bottom());
    QRect g = w->geometry();
    g.setSize(g.size().boundedTo(room).expandedTo(w->minimumSize()));
    // The client's place for its frame at the work area's edges.
    const int left = area.left() + m.left(), top = area.top() + m.top();
    g.moveLeft(std::max(left, std::min(g.left(), area.right() - m.right() - g.width() + 1)));
    g.moveTop(std::max(top, std::min(g.top(), area.bottom() - m.bottom() - g.height() + 1)));
    w->setGeometry(g);
}

ScrollingPage::ScrollingPage(QLayout* content, QWidget* window) : QScrollArea(window)
{
    setObjectName(QStringLiteral("page"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    auto* page = new QWidget(this);
    page->setLayout(content);
    setWidget(page);
    window->installEventFilter(this);
}

QSize ScrollingPage::sizeHint() const
{
    // All of the page: the scroll area's own hint stops at a few lines.
    const QSize page = widget() ? widget()->sizeHint() : QSize();
    return page + QSize(2 * frameWidth(), 2 * frameWidth());
}

bool ScrollingPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched == window() && !opened_) {
        opened_ = true;
        window()->resize(window()->sizeHint().expandedTo(window()->size()));
        FitIntoWorkArea(window());
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace nv::ui
