#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/datatransfer.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/terminal.h"
#include "mainwindow/datamenu.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "views/table.h"
#include "simulator.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

// Scripted answers, with something the user does right after each box.
struct Dialogs : ScriptedDialogProvider {
    std::function<void()> afterBox;
    // The save dialogs are answered with Enter: the file they offered.
    bool enterOnSave = false;
    int messageBox(QWidget *parent, const QString &text, int flags, const QString &title) override
    {
        const int answer = ScriptedDialogProvider::messageBox(parent, text, flags, title);
        if (afterBox)
            QTimer::singleShot(0, afterBox);
        return answer;
    }
    QString saveFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter, const QString &suffix) override
    {
        const QString answer = ScriptedDialogProvider::saveFileName(parent, title, path, filter, suffix);
        return enterOnSave ? path : answer;
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QMdiSubWindow *subOf(QWidget *w) { return qobject_cast<QMdiSubWindow *>(w->parentWidget()); }
} // namespace

// The Data menu: its enabling rules, and Receive and Transfer from the main window against a
// simulated controller on a pseudo-terminal.
class TestDataMenu : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-datamenu");
        DataMap = home.path();
        qint16 english = 0;
        LaadTaal(english);
    }

    void init()
    {
        ResetToestellen();
        MetenActief = false;
        LoggenActief = false;
        AlleenLezen = false;
        AantalRijen = 0;
    }

    void rules_data()
    {
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<QString>("active");
        QTest::addColumn<bool>("running");
        // Measure, Log, Receive, Transfer enabled; Measure checked.
        QTest::addColumn<QString>("expected");
        QTest::newRow("no valid slot: all off") << false << false << true << "tabel" << false << "----c";
        QTest::newRow("polling, table active") << true << false << true << "tabel" << false << "ML--c";
        QTest::newRow("polling, read-only file") << true << true << true << "tabel" << false << "M---c";
        QTest::newRow("stopped, no child window") << true << false << false << "" << false << "M----";
        QTest::newRow("stopped, rack window") << true << false << false << "meting3" << false << "M-RT-";
        QTest::newRow("stopped, table window") << true << false << false << "tabel" << false << "M-RT-";
        QTest::newRow("stopped, terminal window") << true << false << false << "terminal" << false << "M-RT-";
        QTest::newRow("stopped, graph window") << true << false << false << "grafiek2" << false << "M--T-";
        QTest::newRow("a download or capture runs") << true << false << false << "tabel" << true << "--RT-";
    }
    void rules()
    {
        QFETCH(bool, valid);
        QFETCH(bool, readOnly);
        QFETCH(bool, measuring);
        QFETCH(QString, active);
        QFETCH(bool, running);
        QFETCH(QString, expected);
        DataMenuInput in;
        in.slotValid = valid;
        in.readOnly = readOnly;
        in.measuring = measuring;
        in.activeTag = active;
        in.receiving = running;
        const DataMenuState s = DataMenuRegels(in);
        const QString got = QString(s.measure ? "M" : "-") + (s.logging ? "L" : "-") +
                            (s.receive ? "R" : "-") + (s.transfer ? "T" : "-") +
                            (s.measureChecked ? "c" : "-");
        QCOMPARE(got, expected);
    }

    void nextRackWindow_data()
    {
        QTest::addColumn<QList<int>>("valid");
        QTest::addColumn<QList<int>>("walk");
        QTest::newRow("slots 3 and 7") << QList<int>{3, 7} << QList<int>{3, 7, 3, 7};
        QTest::newRow("one slot") << QList<int>{31} << QList<int>{31, 31};
        QTest::newRow("none: no search without end") << QList<int>{} << QList<int>{0, 0};
    }
    void nextRackWindow()
    {
        QFETCH(QList<int>, valid);
        QFETCH(QList<int>, walk);
        for (int d : valid) {
            Toestel[d].Type = "T512";
            Toestel[d].Idno = d;
            Toestel[d].Kanalen = 1;
        }
        qint16 last = 0;
        QList<int> got;
        for (qsizetype i = 0; i < walk.size(); ++i)
            got << (last = VolgendRackVenster(last));
        QCOMPARE(got, walk);
    }

    // The rack command brings the racks forward in turn; the table command brings the table.
    void rackAndTableCommands()
    {
        for (int d : {3, 7}) {
            Toestel[d].Type = "T512";
            Toestel[d].Idno = d;
            Toestel[d].Kanalen = 1;
        }
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto activeTag = [&w] {
            QMdiSubWindow *sub = w.mdiArea()->currentSubWindow();
            return sub ? sub->widget()->property("Tag").toString() : QString();
        };
        QStringList tags;
        for (int i = 0; i < 3; ++i) {
            w.toolButton("tbrRack")->trigger();
            tags << activeTag();
        }
        QCOMPARE(tags, QStringList({"meting3", "meting7", "meting3"}));
        w.mdiArea()->currentSubWindow()->showMinimized();
        w.menuItem("mnuDataRack")->trigger();
        w.menuItem("mnuDataRack")->trigger();
        QCOMPARE(activeTag(), QStringLiteral("meting3"));
        QVERIFY(!w.mdiArea()->currentSubWindow()->isMinimized());
        w.menuItem("mnuDataTabel")->trigger();
        QCOMPARE(activeTag(), QStringLiteral("tabel"));
        QVERIFY(w.mdiArea()->currentSubWindow()->isVisible());
    }

    // Receive from the table window: logging stops with its stop record first, the wait window
    // disables the main window, the records reach the new data file and the table, and the menu
    // is as before afterwards.
    // A T5781 in slot 1 ("Basin") with two records in its log memory, on a simulated line.
    static Sim::Controller &basinWithTwoRecords(Sim::Simulator &sim)
    {
        Sim::Controller &c = sim.add("T5781", 3, 1);
        c.log.unit = {"pH", "", "\xf8" "C", ""};
        Sim::LogRecord r;
        r.time = QDateTime(QDate(2009, 12, 5), QTime(10, 15, 30));
        r.value = {"7.00", "", "25.1", ""};
        c.log.records = {r, r};
        c.log.records[1].time = r.time.addSecs(600);
        SerialPortTable::bind(9, sim.devicePath());
        SeriePoort = "COM9";
        Baudrate = "9600";
        Toestel[1].Type = "T5781";
        Toestel[1].Idno = 3;
        Toestel[1].Kanalen = 1;
        Toestel[1].Naam = "Basin";
        InstellenToestelProtocol(1);
        return c;
    }

    // The main window shown with its port open and the table the active window.
    static frmTabel *tableActive(ProgramWindow &w)
    {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            return nullptr;
        w.initCommPoort();
        w.OpenCommPoort();
        if (!w.poortOpen())
            return nullptr;
        frmTabel *tabel = TabelVenster();
        tabel->StelTabelIn(true);
        subOf(tabel)->show();
        w.mdiArea()->setActiveSubWindow(subOf(tabel));
        return tabel;
    }

    void receiveFromTheTable()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &c = basinWithTwoRecords(sim);
        Dialogs dialogs;
        ProgramWindow w;
        frmTabel *tabel = tableActive(w);
        QVERIFY(tabel);

        // A run being logged into another file.
        const QString logged = home.path() + "/logged.csv";
        const QString downloaded = home.path() + "/downloaded.csv";
        QFile::remove(logged);
        QFile::remove(downloaded);
        Meetbestandsnaam = logged;
        MetenActief = true;
        w.StartStopVerbinding();
        QVERIFY(LoggenActief);
        MeetTijdstip = QDateTime::currentDateTime();
        AantalRijen = 1;
        VerwerkenMeting(QString(), 0);
        MetenActief = false;
        w.PlaatsAanduidingenCOM();

        dialogs.answerMessage(MsgBox::Yes);
        dialogs.answerFile(downloaded);
        dialogs.answerMessage(MsgBox::Ok);
        bool mainDisabled = false, waitEnabled = false;
        // After the 316 box the user presses SEND on the instrument.
        bool sent = false;
        dialogs.afterBox = [&] {
            if (dialogs.requests().size() == 3 && !sent) {
                sent = true;
                sim.sendLogMemory(c);
            }
        };
        QObject context;
        FormDataTransfer &wait = FormDataTransfer::instance();
        connect(wait.TextActie(), &QPlainTextEdit::textChanged, &context, [&] {
            mainDisabled = !w.isEnabled();
            waitEnabled = wait.isEnabled() && wait.isVisible();
            if (wait.TextActie()->toPlainText().contains("LOG.2"))
                QTimer::singleShot(0, &wait, [&wait] { wait.close(); });
        });
        w.mnuData_Click();
        QVERIFY(w.menuItem("mnuDataReceive")->isEnabled());
        // The toolbar button runs the menu command.
        w.toolButton("tbrReceive")->trigger();

        QVERIFY(mainDisabled);
        QVERIFY(waitEnabled);
        QVERIFY(w.isEnabled());
        QVERIFY(!LoggenActief);
        QVERIFY(!OntvangenActief);
        QCOMPARE(dialogs.requests().size(), 3);
        QCOMPARE(dialogs.requests()[0].text, Taaltekst(289).replace("##", "Basin"));
        QCOMPARE(dialogs.requests()[2].text, Taaltekst(316).replace("##", "Basin"));
        // The logged run ended with its stop record; the downloaded records went elsewhere.
        const QList<QByteArray> loggedLines = readAll(logged).split('\n');
        // Header, the record and the stop record.
        QCOMPARE(loggedLines.size(), 4);
        const QList<QByteArray> lines = readAll(downloaded).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].contains("7.00"));
        QVERIFY(lines[2].contains("10:25:30"));
        // Two rows, and the grid's empty row for the next one.
        const GridData &grid = tabel->MSHFlexGrid(0)->data();
        QCOMPARE(grid.rows(), 4);
        QCOMPARE(grid.textMatrix(1, 2), QStringLiteral("10:15:30"));
        QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("10:25:30"));
        QCOMPARE(grid.textMatrix(2, 3), QStringLiteral("7.00"));
        QCOMPARE(Meetbestandsnaam, downloaded);
        QVERIFY(!w.menuItem("mnuDataReceive")->isChecked());
        QVERIFY(!w.toolButton("tbrReceive")->isChecked());
        QVERIFY(w.menuItem("mnuDataTransfer")->isEnabled());
        QCOMPARE(w.panelText("Connect"), Taaltekst(150)); // "Receive ON" no longer
        w.SluitCommPoort();
        subOf(tabel)->hide();
    }

    // Pending edits of the data file are settled before a download may take its name: kept
    // under the proposed name, the download is the data file, and no working copy is left to
    // be put over it later.
    void receiveSettlesPendingEdits()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &c = basinWithTwoRecords(sim);
        Dialogs dialogs;
        ProgramWindow w;
        frmTabel *tabel = tableActive(w);
        QVERIFY(tabel);
        const QString data = home.path() + "/pending.csv";
        QVERIFY(writeAll(data, "\"Time\"\r\n\"12/5/2009 9:00:00 AM\",\"1\"\r\n"));
        const QByteArray edited = "\"Time\"\r\n\"12/5/2009 9:00:00 AM\",\"edited\"\r\n";
        QVERIFY(writeAll(WerkkopieNaam(data), edited));
        QFile::remove(BackupNaam(data));
        Meetbestandsnaam = data;

        dialogs.answerMessage(MsgBox::Yes); // receive
        dialogs.answerMessage(MsgBox::Yes); // accept the edits
        dialogs.answerFile(data);           // the proposed name, kept
        dialogs.answerMessage(MsgBox::Yes); // overwrite
        dialogs.answerMessage(MsgBox::Ok);
        bool sent = false;
        dialogs.afterBox = [&] {
            // After the box that asks the user to press SEND.
            if (dialogs.requests().last().text == Taaltekst(316).replace("##", "Basin")
                && !std::exchange(sent, true))
                sim.sendLogMemory(c);
        };
        QObject context;
        FormDataTransfer &wait = FormDataTransfer::instance();
        connect(wait.TextActie(), &QPlainTextEdit::textChanged, &context, [&wait] {
            if (wait.TextActie()->toPlainText().contains("LOG.2"))
                QTimer::singleShot(0, &wait, [&wait] { wait.close(); });
        });
        w.mnuDataReceive_Click();

        QCOMPARE(dialogs.requests().size(), 5);
        QCOMPARE(dialogs.requests()[1].text, Taaltekst(424));
        QCOMPARE(dialogs.requests()[2].kind, QStringLiteral("save"));
        QCOMPARE(Meetbestandsnaam, data);
        QVERIFY(!QFile::exists(WerkkopieNaam(data)));
        QCOMPARE(readAll(BackupNaam(data)), edited);
        const QList<QByteArray> lines = readAll(data).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[2].contains("10:25:30"));
        w.SluitCommPoort();
        subOf(tabel)->hide();
    }

    // The first Transfer of a run proposes "Untitled.txt" in the data folder; taking it, or
    // cancelling the dialog, captures there. Once the capture ends the status bar says again
    // whether logging is on, and the next file dialog starts in the data folder.
    void firstTransferIntoTheDataFolder_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::newRow("proposed file taken") << true;
        QTest::newRow("dialog cancelled") << false;
    }
    void firstTransferIntoTheDataFolder()
    {
        QFETCH(bool, enter);
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        SeriePoort = "COM9";
        Toestel[1].Type = "T512";
        Toestel[1].Idno = 12;
        Toestel[1].Kanalen = 1;
        InstellenToestelProtocol(1);
        const QString untitled = DataMap + "/Untitled.txt";
        QFile::remove(untitled);
        TransferBestand.clear();
        LaatsteMap.clear();

        Dialogs dialogs;
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.initCommPoort();
        frmTabel *tabel = TabelVenster();
        tabel->StelTabelIn(true);
        subOf(tabel)->show();
        w.mdiArea()->setActiveSubWindow(subOf(tabel));
        dialogs.answerMessage(MsgBox::Yes);
        dialogs.answerFile("");
        dialogs.enterOnSave = enter;
        dialogs.afterBox = [&] { QTimer::singleShot(50, &sim, [&] { sim.sendText({"printout"}); }); };
        QObject context;
        FormDataTransfer &wait = FormDataTransfer::instance();
        bool checked = false;
        QString panelWhileCapturing;
        connect(wait.TextActie(), &QPlainTextEdit::textChanged, &context, [&] {
            checked = w.menuItem("mnuDataTransfer")->isChecked()
                      && w.toolButton("tbrTransfer")->isChecked()
                      && !w.menuItem("mnuDataReceive")->isEnabled();
            panelWhileCapturing = w.panelText("Connect");
            if (wait.TextActie()->toPlainText().contains("printout"))
                QTimer::singleShot(0, &wait, [&wait] { wait.close(); });
        });
        w.mnuData_Click();
        w.toolButton("tbrTransfer")->trigger();
        QCOMPARE(dialogs.requests().size(), 2);
        QCOMPARE(dialogs.requests()[1].kind, QStringLiteral("save"));
        QCOMPARE(dialogs.requests()[1].text, untitled);
        QVERIFY(checked);
        QCOMPARE(panelWhileCapturing, Taaltekst(234));
        QVERIFY(!TransferActief);
        QCOMPARE(readAll(untitled), QByteArray("printout\r\n"));
        QCOMPARE(TransferBestand, untitled);
        QVERIFY(!w.menuItem("mnuDataTransfer")->isChecked());
        QVERIFY(w.menuItem("mnuDataReceive")->isEnabled());
        QVERIFY(!w.toolButton("tbrTransfer")->isChecked());
        QCOMPARE(w.panelText("Connect"), Taaltekst(150)); // "Transfer ON" no longer

        // The next data file is offered in the data folder too.
        dialogs.enterOnSave = false;
        dialogs.answerFile("");
        KiesBestandOpslaan(Meetbestandsnaam, QStringLiteral(".csv"), 182, 284, 0);
        QCOMPARE(QFileInfo(dialogs.requests().last().text).absolutePath(),
                 QFileInfo(DataMap).absoluteFilePath());
        w.SluitCommPoort();
        subOf(tabel)->hide();
    }

    // Edit > Copy with the terminal active takes the terminal's whole text.
    void copyOfTheTerminal()
    {
        Toestel[1].Type = "T512";
        Toestel[1].Idno = 12;
        Toestel[1].Kanalen = 1;
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        AantalRijen = 3;
        QAction *item = w.menuItem("mnuEditCopy");
        QVERIFY(item->isVisible());
        w.menuItem("mnuExtraTerminal")->trigger();
        frmTerminal *t = frmTerminal::instance();
        t->ToevoegenBytes("#012\t>?\r\n", TerminalKleurZenden);
        t->ToevoegenBytes("#012\t7.02\t\xf8" "C\r\n", TerminalKleurOntvangen);
        w.mdiArea()->setActiveSubWindow(subOf(t));
        item->setEnabled(true);
        QGuiApplication::clipboard()->clear();
        item->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), t->Tekst());
        QVERIFY(t->Tekst().contains("°C"));

        // Receive is offered with the terminal active, but does nothing there.
        ScriptedDialogProvider dialogs;
        w.mnuData_Click();
        QVERIFY(w.menuItem("mnuDataReceive")->isEnabled());
        w.menuItem("mnuDataReceive")->trigger();
        QVERIFY(dialogs.requests().isEmpty());
        QVERIFY(!w.menuItem("mnuDataReceive")->isChecked());
    }
};

QTEST_MAIN(TestDataMenu)
#include "tst_datamenu.moc"
