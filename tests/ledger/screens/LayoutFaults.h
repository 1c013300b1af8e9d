#pragma once
// What a person sees wrong on a screen: two visible controls on top of each
// other, a control that leaves its window, a caption or grid header cut
// because its text is wider (or taller) than the control.
#include <QString>
#include <QStringList>

class QWidget;

namespace nvtest {

// One line per fault, naming the controls by object name and class.
QStringList LayoutFaults(QWidget* window);

} // namespace nvtest
