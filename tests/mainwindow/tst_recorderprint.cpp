// A recorder that prints its full page by itself, beside the table, on a real X server with a
// window manager (openbox): the focus a window manager and the X server hand around while the
// print runs is what decides which child window is the active one afterwards, and the offscreen
// platform hands no focus around.
#include "boxcloser.h"
#include "desktoptest.h"
#include "graphroadsupport.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphwindow.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "printing/printdialog.h"
#include "printing/printrun.h"
#include "views/table.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

class TestRecorderPrint : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-recorderprint");
        RegisterNaam = QStringLiteral("QLV2-RECORDERPRINT");
        DataMap = home.path();
        closeMessageBoxesEvery(boxCloser);
    }

    // The user watches the recorder; each full page prints itself. The recorder stays the
    // active child window, page after page, with the table open beside it.
    void recorderStaysActive()
    {
        Pump::setEnding(false);
        ProgrammaStoppen = false;
        ScriptedDialogProvider dialogs;
        Printerkode::printDialogHooks().printers = [] { return QStringList(); };
        Printerkode::printDialogHooks().standaardPrinter = [] { return QString(); };

        ResetToestellen();
        WindowSettings::reset();
        AantalGrafieken = 0;
        Toestel[1].Type = QStringLiteral("T542");
        Toestel[1].Idno = 11;
        Toestel[1].Kanalen = 2;
        Toestel[1].Naam = QStringLiteral("Oven");
        Toestel[1].Actief = true;
        WindowSettings::table.TabelTonen = true;
        WindowSettings::table.placement = {0, 3000, 900, 3000, 9000};
        GraphSettings &g = WindowSettings::graph[1];
        g.resetToLoadDefaults(1);
        g.XYrecorder = true;
        g.AfdrukkenRecorder = true;
        g.RecorderTussentijd = 1;
        g.MaxGrafiekZichtbaar = 10;
        g.SchrijfGrafiekLijnRef(1, 1, 1);
        g.placement = {0, 3000, 5000, 3000, 6000};
        g.visible = true;
        SeriePoort = QStringLiteral("COM251");
        const QString settings = home.filePath("recorder.CFG");
        QVERIFY(SchrijfInstellingen(settings));
        ResetToestellen();
        resetReadSettings();

        mdiQLV2 w;
        KoppelHoofdvenster(w);
        w.resize(1100, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        LeesInstellingen(settings);
        frmGrafiek *recorder = GrafiekVenster.inGebruik(1);
        QVERIFY(recorder && recorder->XYrecorder());
        QVERIFY(TabelVenster()->isVisible());
        QMdiArea *area = w.mdiArea();
        QMdiSubWindow *recorderSub = nullptr;
        for (QMdiSubWindow *sub : area->subWindowList())
            if (sub->widget() == recorder)
                recorderSub = sub;
        QVERIFY(recorderSub);
        area->setActiveSubWindow(recorderSub);
        QTRY_COMPARE(area->activeSubWindow(), recorderSub);
        QTRY_VERIFY(recorder->isAncestorOf(QApplication::focusWidget())
                    || QApplication::focusWidget() == recorder);

        SkippingClock clock;
        Clock::install(&clock);
        MetenActief = true;
        const QDir data(home.path());
        const auto pdfs = [&data] { return data.entryList({QStringLiteral("*.pdf")}).size(); };
        const qsizetype before = pdfs();
        for (int page = 1; page <= 2; ++page) {
            for (int s = 0; s < 10; ++s) {
                clock.skip(1000);
                Toestel[1].Kanaal[1].Waarde = QString::number(s);
                recorder->VulGrafiekAan(0);
            }
            // Each page has a file of its own (they are named by the second).
            clock.skip(1000);
            QTRY_COMPARE(pdfs(), before + page);
            // What the window manager and Qt do about the focus comes in after the print.
            QTest::qWait(300);
            QVERIFY2(area->activeSubWindow() == recorderSub,
                     qPrintable(QStringLiteral("page %1: active is %2").arg(page).arg(
                         area->activeSubWindow() ? area->activeSubWindow()->windowTitle()
                                                 : QStringLiteral("none"))));
            QVERIFY(recorder->isEnabled());
        }
        MetenActief = false;
        Clock::install(nullptr);
        w.AfsluitenOnbewaakt();
    }
};

int main(int argc, char **argv) { return runOnDesktop<TestRecorderPrint>(argc, argv); }

#include "tst_recorderprint.moc"
