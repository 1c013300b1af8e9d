#pragma once
// Rearranging bar buttons by dragging them with Alt held (Ctrl+Alt or
// Shift+Alt as well, for window managers that move windows on Alt and a
// drag): within a bar, onto another bar of the same window, or off every bar
// to remove them. A drop just right of a button puts a separator before it,
// a drop on its own left half takes that separator away. Escape cancels.
#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QRubberBand;
class QToolBar;

namespace nv::viewer {

class BarCustomizer : public QObject {
public:
    BarCustomizer(QList<QToolBar*> bars, QObject* parent);
    ~BarCustomizer() override;

    bool Dragging() const { return action_ != nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QToolBar* BarAt(const QPoint& global) const;
    QToolBar* BarOf(QObject* watched) const;
    // The index a drop at `global` inserts before; -1 past the last.
    static int InsertionIndex(QToolBar* bar, const QPoint& global);
    bool Start(QToolBar* bar, const QPoint& global);
    void Track(const QPoint& global);
    void Drop(const QPoint& global);
    void End();
    static void DropTrailingSeparators(QToolBar* bar);

    QList<QToolBar*> bars_;
    QPointer<QToolBar> source_;
    QAction* action_ = nullptr;
    QRubberBand* mark_ = nullptr;
};

} // namespace nv::viewer
