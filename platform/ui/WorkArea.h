#pragma once
// The part of a screen a window may take (the screen less its panels) and a
// window kept inside it frame and all, title bar included, so that its close
// box and its edges stay where a person reaches them.
#include <QMargins>
#include <QScrollArea>

class QLayout;
class QWidget;

namespace nv::ui {

// The frame around w's client area: as the window system gives it once the
// window is shown, else as another shown window of the program has it, else
// the style's title bar above a thin border.
QMargins FrameMargins(const QWidget* w);

// Shrinks w toward its minimum size and moves it, so that its frame lies in
// the work area of its screen; a window larger than its minimum allows is
// placed at the work area's top left.
void FitIntoWorkArea(QWidget* w);

// The controls of a window on a page that scrolls where the work area is
// smaller than they need; the window opens at their full size where there
// is room, and fitted into the work area.
class ScrollingPage : public QScrollArea {
public:
    // content becomes the page's layout; window is the page's top level.
    ScrollingPage(QLayout* content, QWidget* window);
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool opened_ = false;
};

} // namespace nv::ui
