#pragma once
// The one application object of a test program. Never destroyed: it must
// outlive every font and image, static ones included.
#include <QApplication>
#include <QGuiApplication>

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

} // namespace nvtest
