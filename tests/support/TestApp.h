#pragma once
// The one application object of a test program. Never destroyed: it must
// outlive every font and image, static ones included.
#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace nvtest {

inline void EnsureGuiApp()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
}

inline void EnsureWidgetApp()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// Once the event loop runs: drive works the modal window then open, which is
// closed afterwards whatever drive did; `drove` tells whether there was one.
inline void DriveNextModal(const std::function<void(QWidget*)>& drive, bool& drove)
{
    QTimer::singleShot(0, [&drive, &drove] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d) return;
        drive(d);
        drove = true;
        if (d->isVisible()) QMetaObject::invokeMethod(d, "reject");
    });
}

} // namespace nvtest
