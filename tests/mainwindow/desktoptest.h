#pragma once
// The main() of a test that needs the X window system itself, with a window manager: a desktop
// of its own (Xvfb with openbox), whatever DISPLAY says, and the program's windows on it.
#include "xdesktop.h"

#include <QApplication>
#include <QTest>
#include <cstdio>

template <typename Test> int runOnDesktop(int argc, char **argv)
{
    XDesktop desktop;
    {
        QCoreApplication probe(argc, argv);
        if (!desktop.start(QSize(1280, 1024))) {
            std::fprintf(stderr, "%s\n", qPrintable(desktop.error()));
            return 1;
        }
    }
    qputenv("DISPLAY", desktop.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("XAUTHORITY");
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
