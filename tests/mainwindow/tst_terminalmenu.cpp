#include "core/shared.h"
#include "core/windowsettings.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

QMdiSubWindow *terminalSub()
{
    return qobject_cast<QMdiSubWindow *>(frmTerminal::instance()->parentWidget());
}
} // namespace

// The View menu's terminal item and the settings file's terminal block, in the main window.
class TestTerminalMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void viewItemShowsAndHides()
    {
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAction *item = w.menuItem("mnuExtraTerminal");
        QVERIFY(item && item->isVisible() && item->isCheckable());
        QVERIFY(!terminalSub()->isVisible());

        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(terminalSub()->isVisible());
        QCOMPARE(frmTerminal::instance()->property("Tag").toString(), QStringLiteral("terminal"));
        frmTerminal::instance()->ToevoegenBytes("#001\t>?\r\n", TerminalKleurZenden);
        QVERIFY(!frmTerminal::instance()->Tekst().isEmpty());

        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!terminalSub()->isVisible());
        QVERIFY(frmTerminal::instance()->Tekst().isEmpty());

        // Closed from its own frame, the item loses its check mark too.
        item->trigger();
        QVERIFY(item->isChecked());
        terminalSub()->close();
        QVERIFY(!item->isChecked());
        QVERIFY(!terminalSub()->isVisible());
        QVERIFY(terminalSub()->parent()); // only hidden
    }

    void settingsBlockPlacesIt_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("send");
        QTest::addColumn<bool>("receive");
        QTest::newRow("shown, both echoes") << true << true << true;
        QTest::newRow("shown, sent only") << true << true << false;
        QTest::newRow("hidden") << false << false << true;
    }
    void settingsBlockPlacesIt()
    {
        QFETCH(bool, shown);
        QFETCH(bool, send);
        QFETCH(bool, receive);
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(20);
        TerminalSettings &t = WindowSettings::terminal;
        t.placement = {0, 900, 1500, 3000, 6000};
        t.font.size = 11;
        t.menuChecked = shown;
        ToonCodeZenden = send;
        ToonCodeOntvangen = receive;
        WindowHost::current().terminalRead();

        QCOMPARE(w.menuItem("mnuExtraTerminal")->isChecked(), shown);
        QCOMPARE(terminalSub()->isVisible(), shown);
        QCOMPARE(terminalSub()->geometry(), QRect(100, 60, 400, 200));
        QCOMPARE(ToonCodeZenden, send);
        QCOMPARE(ToonCodeOntvangen, receive);
        QCOMPARE(frmTerminal::instance()->TxtLineInput()->font().pointSizeF(), 11.0);

        WindowSettings::terminal = TerminalSettings();
        WindowHost::current().collectWindowSettings();
        QCOMPARE(WindowSettings::terminal.menuChecked, shown);
        QCOMPARE(WindowSettings::terminal.placement, (WindowPlacement{0, 900, 1500, 3000, 6000}));
        QCOMPARE(WindowSettings::terminal.font.size, 11.0f);
    }
};

QTEST_MAIN(TestTerminalMenu)
#include "tst_terminalmenu.moc"
