#include "mainwindow/mainwindow.h"
#include "mainwindow/shutdownsignals.h"
#include "mainwindow/wiring.h"
#include "support/mainlink.h"
#include "support/wrappers.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
    // Without TZ the C library looks at /etc/localtime again for every local time it works
    // out; the program converts times for every record and every row it reads.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QApplication app(argc, argv);
    setProgramNames();
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    // The program ends when its start-up returns, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    MainLink::ensureResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));

    mdiQLV2 window;
    KoppelHoofdvenster(window);

    // A system shutdown, a service manager or Ctrl+C closes the program unattended: logging
    // stops with its stop record and no question waits for an answer.
    ShutdownSignals signalsOfSystem;
    QObject::connect(&signalsOfSystem, &ShutdownSignals::requested, &window,
                     [&window](int) { window.AfsluitenOnbewaakt(); });

    QTimer::singleShot(0, &window, [&window] {
        window.MDIForm_Load(QCoreApplication::arguments().mid(1));
        QCoreApplication::exit(0);
    });
    return app.exec();
}
