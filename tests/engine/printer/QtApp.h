#pragma once
// Qt's printing classes need an application object; one for the program,
// never destroyed, so that nothing of Qt runs after its own statics are gone.
#include <QGuiApplication>

namespace nvtest {

inline void EnsureQtApp()
{
    static int argc = 1;
    static char name[] = "test_engine_printer";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
}

} // namespace nvtest
