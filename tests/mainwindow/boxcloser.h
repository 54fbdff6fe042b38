#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>

// Closes the program's own message boxes as they come up, so that a test no box is scripted for
// never waits behind one (a closed box answers as its Escape button).
inline void closeMessageBoxesEvery(QTimer &timer, int ms = 100)
{
    QObject::connect(&timer, &QTimer::timeout, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits("FormMelding") && w->isVisible())
                w->close();
    });
    timer.start(ms);
}
