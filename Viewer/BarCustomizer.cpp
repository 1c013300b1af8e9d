#include "Viewer/BarCustomizer.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QToolBar>

namespace nv::viewer {

namespace {
// A separator this narrow is a gap, nothing to take hold of.
constexpr int kGapWidth = 8;
} // namespace

BarCustomizer::BarCustomizer(QList<QToolBar*> bars, QObject* parent) : QObject(parent), bars_(std::move(bars))
{
    qApp->installEventFilter(this);
}

BarCustomizer::~BarCustomizer()
{
    if (Dragging()) End();
    delete mark_;
}

QToolBar* BarCustomizer::BarOf(QObject* watched) const
{
    for (QObject* o = watched; o; o = o->parent())
        if (auto* bar = qobject_cast<QToolBar*>(o); bar && bars_.contains(bar)) return bar;
    return nullptr;
}

QToolBar* BarCustomizer::BarAt(const QPoint& global) const
{
    for (QToolBar* bar : bars_)
        if (bar->isVisible() && bar->rect().contains(bar->mapFromGlobal(global))) return bar;
    return nullptr;
}

int BarCustomizer::InsertionIndex(QToolBar* bar, const QPoint& global)
{
    const QPoint at = bar->mapFromGlobal(global);
    const bool across = bar->orientation() == Qt::Horizontal;
    const QList<QAction*> actions = bar->actions();
    for (int i = 0; i < actions.size(); ++i) {
        const QRect r = bar->actionGeometry(actions[i]);
        if (r.isEmpty()) continue;
        if (across ? at.x() < r.center().x() : at.y() < r.center().y()) return i;
    }
    return -1;
}

bool BarCustomizer::Start(QToolBar* bar, const QPoint& global)
{
    const QPoint at = bar->mapFromGlobal(global);
    for (QAction* a : bar->actions()) {
        const QRect r = bar->actionGeometry(a);
        if (!r.contains(at)) continue;
        if (a->isSeparator() && r.width() <= kGapWidth) return false;
        source_ = bar;
        action_ = a;
        QApplication::setOverrideCursor(Qt::DragMoveCursor);
        Track(global);
        return true;
    }
    return false;
}

void BarCustomizer::Track(const QPoint& global)
{
    QToolBar* bar = BarAt(global);
    QApplication::changeOverrideCursor(bar ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    if (!bar) {
        if (mark_) mark_->hide();
        return;
    }
    // The insertion mark: a line before the button a drop would go before.
    const int index = InsertionIndex(bar, global);
    const QList<QAction*> actions = bar->actions();
    QRect r = index >= 0 ? bar->actionGeometry(actions[index])
                         : (actions.isEmpty() ? QRect() : bar->actionGeometry(actions.last()).translated(1, 0));
    if (index < 0 && !actions.isEmpty()) r.moveLeft(r.right());
    if (!mark_) mark_ = new QRubberBand(QRubberBand::Line);
    mark_->setGeometry(QRect(bar->mapToGlobal(r.topLeft()) - QPoint(1, 0), QSize(2, std::max(r.height(), 8))));
    mark_->show();
}

void BarCustomizer::DropTrailingSeparators(QToolBar* bar)
{
    while (!bar->actions().isEmpty() && bar->actions().last()->isSeparator())
        bar->removeAction(bar->actions().last());
}

void BarCustomizer::Drop(const QPoint& global)
{
    QToolBar* source = source_;
    QAction* a = action_;
    if (!source) return;
    QToolBar* target = BarAt(global);
    const QList<QAction*> actions = source->actions();
    const int own = int(actions.indexOf(a));
    if (!target) {
        source->removeAction(a);
        DropTrailingSeparators(source);
        return;
    }
    const int index = InsertionIndex(target, global);
    if (target != source) {
        QAction* before = index >= 0 ? target->actions().at(index) : nullptr;
        source->removeAction(a);
        target->insertAction(before, a);
        DropTrailingSeparators(source);
        return;
    }
    const bool last = own == actions.size() - 1;
    if (index == own + 1 || (index < 0 && last)) {
        if (own > 0 && !actions[own - 1]->isSeparator()) source->insertSeparator(a);
        return;
    }
    if (index == own) {
        if (own > 0 && actions[own - 1]->isSeparator()) source->removeAction(actions[own - 1]);
        return;
    }
    QAction* before = index >= 0 ? actions[index] : nullptr;
    source->removeAction(a);
    source->insertAction(before, a);
    if (last) DropTrailingSeparators(source);
}

void BarCustomizer::End()
{
    if (mark_) mark_->hide();
    QApplication::restoreOverrideCursor();
    action_ = nullptr;
    source_ = nullptr;
}

bool BarCustomizer::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (Dragging() || m->button() != Qt::LeftButton || !(m->modifiers() & Qt::AltModifier)) break;
        QToolBar* bar = BarOf(watched);
        if (bar && Start(bar, m->globalPosition().toPoint())) return true;
        break;
    }
    case QEvent::MouseMove:
        if (!Dragging()) break;
        Track(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        if (!Dragging()) break;
        Drop(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        End();
        return true;
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        if (Dragging() && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            End();
            return true;
        }
        break;
    case QEvent::ApplicationDeactivate:
        if (Dragging()) End();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, e);
}

} // namespace nv::viewer
