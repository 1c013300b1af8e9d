#pragma once
// What a person sees wrong on a screen: two visible controls on top of each
// other, a control that leaves its window, a caption or grid header cut
// because its text is wider (or taller) than the control; on a small screen,
// a window, a button or a grid column out of reach.
#include <QRect>
#include <QString>
#include <QStringList>

class QTableView;
class QWidget;

namespace nvtest {

// One line per fault, naming the controls by object name and class.
QStringList LayoutFaults(QWidget* window);

// What lies out of reach in the work area: the window's frame outside it, a
// window that cannot be made as small as it, a grid whose columns run past
// its view without a scroll bar, a close button reached only by scrolling.
// Checked as the window opened and again at its smallest.
QStringList WorkAreaFaults(QWidget* window, const QRect& workArea);

// What the grid draws as it stands, unscrolled: a figure (a cell aligned to
// the right) drawn with any part outside the view, and the current cell not
// wholly in view.
QStringList DrawnGridFaults(QTableView* view);

} // namespace nvtest
