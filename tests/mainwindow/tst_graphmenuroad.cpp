#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphwindow.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/chart.h"
#include "platform/dialogs.h"
#include "support/language.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace Hoofdmodule;

namespace {

class ProgramWindow : public mdiQLV2 {
public:
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

// Runs `action` on the graph settings dialog once it shows; whatever stays open is cancelled.
void onDialog(std::function<void(frmGrafiekInstellen *)> action)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, action] {
        frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
        if (!d || !d->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        action(d);
        if (frmGrafiekInstellen *still = frmGrafiekInstellen::geopend())
            still->CmdCancel_Click();
    });
    poll->start(10);
}

int graphWindowsShown(mdiQLV2 &w)
{
    int n = 0;
    for (QMdiSubWindow *sub : w.mdiArea()->subWindowList())
        if (qobject_cast<frmGrafiek *>(sub->widget()) && sub->isVisible())
            ++n;
    return n;
}

} // namespace

// The Graph menu of the program as it is wired: new graphs through the settings dialog, the
// menu's enabling, and the graph's right-button pop-up over the same menu.
class TestGraphMenuRoad : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
    }

    void init()
    {
        ResetToestellen();
        WindowSettings::reset();
        AantalGrafieken = 0;
        AantalRijen = 0;
        Toestel[1].Type = "T542";
        Toestel[1].Idno = 12;
        Toestel[1].Kanalen = 2;
        InstellingenBestandsnaam = home.filePath("graphs.CFG");
    }

    void newGraphThroughTheDialog()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QMenu *graphMenu = w.menu("mnuGraph");
        QVERIFY(graphMenu && graphMenu->menuAction()->isVisible());
        // As the captions left it: settings, a line and New.
        for (const char *item : {"mnuExtraSettingsGraph", "linegraph1", "mnuGraphNew"})
            QVERIFY2(w.menuItem(item)->isVisible(), item);
        for (const char *item : {"mnuGraphCopy", "mnuGraphPrint", "mnuGraphCopySettings",
                                 "mnuGraphPasteSettings", "linegraph2", "linegraph3"})
            QVERIFY2(!w.menuItem(item)->isVisible(), item);
        QCOMPARE(w.menuItem("mnuGraphNewTable")->text(), QStringLiteral("&Table values"));
        QCOMPARE(w.menuItem("mnuGraphNewRecorder")->text(), QStringLiteral("&XY-recorder"));

        // Cancel: no window stays, the number is free again.
        int tab = -1;
        onDialog([&tab](frmGrafiekInstellen *d) {
            tab = d->SSTab->currentIndex();
            d->CmdCancel_Click();
        });
        w.menuItem("mnuGraphNewTable")->trigger();
        QCOMPARE(tab, 3);
        QCOMPARE(AantalGrafieken, qint16(0));
        QCOMPARE(graphWindowsShown(w), 0);
        QVERIFY(!GrafiekVenster.inGebruik(1));

        // OK: graph 1 shows, a recorder next takes number 2.
        onDialog([](frmGrafiekInstellen *d) { d->CmdOK_Click(); });
        w.menuItem("mnuGraphNewTable")->trigger();
        QCOMPARE(AantalGrafieken, qint16(1));
        frmGrafiek *first = GrafiekVenster.inGebruik(1);
        QVERIFY(first);
        QVERIFY(!first->XYrecorder());
        onDialog([](frmGrafiekInstellen *d) { d->CmdOK_Click(); });
        w.menuItem("mnuGraphNewRecorder")->trigger();
        QCOMPARE(AantalGrafieken, qint16(2));
        QVERIFY(GrafiekVenster.inGebruik(2) && GrafiekVenster.inGebruik(2)->XYrecorder());
        QCOMPARE(graphWindowsShown(w), 2);

        // The menu's enabling follows the active window.
        w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(first->parentWidget()));
        QMetaObject::invokeMethod(graphMenu, "aboutToShow");
        QVERIFY(w.menuItem("mnuExtraSettingsGraph")->isEnabled());
        QVERIFY(w.menuItem("mnuGraphNew")->isEnabled());

        // Graph > Settings opens the dialog for the active graph; OK rebuilds it.
        int shownFor = 0;
        onDialog([&shownFor](frmGrafiekInstellen *d) {
            shownFor = GekozenNummer;
            d->CmdOK_Click();
        });
        w.menuItem("mnuExtraSettingsGraph")->trigger();
        QCOMPARE(shownFor, 1);
        QCOMPARE(w.Antwoord, qint16(1));

        // OK saved the settings file, with both graphs.
        QFile f(InstellingenBestandsnaam);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("[GRAPHICS]"), 2);

        // A closed graph gives its number back to the next new one.
        first->SluitDoorCode();
        QCOMPARE(AantalGrafieken, qint16(1));
        onDialog([](frmGrafiekInstellen *d) { d->CmdOK_Click(); });
        w.menuItem("mnuGraphNewTable")->trigger();
        QVERIFY(GrafiekVenster.inGebruik(1));
        QCOMPARE(AantalGrafieken, qint16(2));
        GrafiekVenster.Ontladen();
    }

    void popUpOverTheGraphMenu()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        onDialog([](frmGrafiekInstellen *d) { d->CmdOK_Click(); });
        w.menuItem("mnuGraphNewTable")->trigger();
        frmGrafiek *graph = GrafiekVenster.inGebruik(1);
        QVERIFY(graph);
        QMap<QString, bool> shown;
        QTimer::singleShot(0, qApp, [&] {
            for (const char *item : {"mnuExtraSettingsGraph", "linegraph1", "mnuGraphNew",
                                     "mnuGraphCopy", "mnuGraphPrint", "mnuGraphCopySettings",
                                     "mnuGraphPasteSettings"})
                shown.insert(QLatin1String(item), w.menuItem(item)->isVisible());
            w.menu("mnuGraph")->close();
        });
        emit graph->menuGevraagd(QPoint(50, 50));
        QVERIFY(shown.value("mnuExtraSettingsGraph"));
        QVERIFY(!shown.value("mnuGraphNew"));
        QVERIFY(!shown.value("linegraph1"));
        for (const char *item : {"mnuGraphCopy", "mnuGraphPrint", "mnuGraphCopySettings",
                                 "mnuGraphPasteSettings"})
            QVERIFY2(shown.value(QLatin1String(item)), item);
        QVERIFY(!w.menuItem("mnuGraphPasteSettings")->isEnabled()); // nothing copied yet
        // Afterwards the menu bar's Graph menu is as before.
        QVERIFY(w.menuItem("mnuGraphNew")->isVisible());
        QVERIFY(!w.menuItem("mnuGraphCopy")->isVisible());
        GrafiekVenster.Ontladen();
    }
};

QTEST_MAIN(TestGraphMenuRoad)
#include "tst_graphmenuroad.moc"
