#include "boxcloser.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/sysinfo.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/splash.h"
#include "views/rack.h"
#include "views/table.h"
#include "simulator.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    explicit ProgramWindow(bool splash = false)
    {
        KoppelHoofdvenster(*this);
        setShowSplash(splash);
    }
};

QRect pixelsOf(const WindowPlacement &p)
{
    return QRect(qRound(p.left / 15), qRound(p.top / 15), qRound(p.width / 15), qRound(p.height / 15));
}

QMdiSubWindow *tableSub() { return qobject_cast<QMdiSubWindow *>(TabelVenster()->parentWidget()); }
} // namespace

// Where the windows are, and what they show, when the program starts and when it saves.
class TestWindowPlaces : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;

    QString settingsFolder() const { return home.path() + "/Documents/Marquel/QLV-2/Settings"; }
    QString settingsFile() const { return settingsFolder() + "/Qlv2.CFG"; }

    // A settings file naming port 9, three controllers with their rack windows shown and the
    // table window shown.
    void writeSettings()
    {
        ResetToestellen();
        WindowSettings::reset();
        for (int d = 1; d <= 3; ++d) {
            Toestel[d].Type = QStringLiteral("T542");
            Toestel[d].Idno = 10 + d;
            Toestel[d].Kanalen = 1;
            WindowSettings::rack[size_t(d)].visible = true;
            WindowSettings::rack[size_t(d)].placement = {0, float(d * 600), 300, 2400, 4200};
        }
        WindowSettings::table.TabelTonen = true;
        WindowSettings::table.placement = {0, 3000, 900, 3000, 9000};
        WindowSettings::terminal.menuChecked = true;
        WindowSettings::terminal.placement = {0, 6000, 900, 1500, 6000};
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 2;
        StartLoggen = false;
        LaadBestand = false;
        QVERIFY(SchrijfInstellingen(settingsFile()));
        ResetToestellen();
        WindowSettings::reset();
        SeriePoort = "COM1";
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", (home.path() + "/Documents").toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(settingsFolder());
        SerialPortTable::setRegistryApplication("QLV2-PORTS-windowplaces");
        closeMessageBoxesEvery(boxCloser);
    }

    void init()
    {
        Pump::setEnding(false);
        ProgrammaStoppen = false;
        InstellingenHerladen = false;
        LoggenActief = false;
        BestandOpCommando = false;
        AantalRijen = 0;
        RegisterNaam = QStringLiteral("QLV2-CFG");
        Registry::remove("QLV2-CFG", "Settings", "FileNameSettings");
        Registry::remove("QLV2-CFG", "Settings", "Toolbar");
        Registry::remove("QLV2-CFG", "Table", "Tab");
        WindowSettings::reset();
    }

    // The main window is written with its normal place and size (frame excluded) and its
    // state apart; read back it stands exactly where it stood.
    void mainWindowPlaceSurvives_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << 0;
        QTest::newRow("maximised") << 2;
    }
    void mainWindowPlaceSurvives()
    {
        QFETCH(int, state);
        const QRect normal(130, 95, 700, 480);
        {
            ProgramWindow w;
            w.setGeometry(normal);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            if (state == 2) {
                w.showMaximized();
                QTRY_VERIFY(w.isMaximized());
                QTRY_VERIFY(w.geometry() != normal);
            }
            WindowHost::current().collectWindowSettings();
            QCOMPARE(int(WindowSettings::mainWindow.state), state);
            QCOMPARE(pixelsOf(WindowSettings::mainWindow), normal);
        }
        ProgramWindow again;
        WindowHost::current().mainWindowRead();
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.isMaximized(), state == 2);
        QCOMPARE(again.normalGeometry(), normal);
        if (state == 0)
            QCOMPARE(again.geometry(), normal);
    }

    // A child window is written with its real state and its normal place, stays as it was
    // while it is written, and comes back in that state and place.
    void childWindowStateSurvives_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << 0;
        QTest::newRow("minimised") << 1;
        QTest::newRow("maximised") << 2;
    }
    void childWindowStateSurvives()
    {
        QFETCH(int, state);
        const QRect normal(40, 30, 420, 260);
        {
            ProgramWindow w;
            w.resize(900, 700);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QMdiSubWindow *sub = tableSub();
            sub->show();
            sub->setGeometry(normal);
            if (state == 1)
                sub->showMinimized();
            else if (state == 2)
                sub->showMaximized();
            const QRect shown = sub->geometry();
            WindowHost::current().collectWindowSettings();
            QCOMPARE(int(WindowSettings::table.placement.state), state);
            QCOMPARE(pixelsOf(WindowSettings::table.placement), normal);
            QCOMPARE(sub->isMinimized(), state == 1);
            QCOMPARE(sub->isMaximized(), state == 2);
            QCOMPARE(sub->geometry(), shown);
        }
        ProgramWindow again;
        again.resize(900, 700);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        WindowSettings::table.TabelTonen = true;
        WindowHost::current().tableRead();
        QMdiSubWindow *sub = tableSub();
        QVERIFY(sub->isVisible());
        QCOMPARE(sub->isMinimized(), state == 1);
        // Maximised once the windows read with it have their places.
        QTRY_COMPARE(sub->isMaximized(), state == 2);
        sub->showNormal();
        QCOMPARE(sub->geometry(), normal);
    }

    // The user sees one child window maximised and another minimised: saving writes each in
    // the state it is seen in, with its normal place, and leaves both as they are; read back,
    // they come back so, and only the maximised one is maximised.
    void maximisedAmongOthersSurvives()
    {
        const QRect tableNormal(40, 30, 420, 260);
        const QRect terminalNormal(100, 80, 300, 200);
        const auto terminalSub = [] {
            return qobject_cast<QMdiSubWindow *>(frmTerminal::instance()->parentWidget());
        };
        {
            ProgramWindow w;
            w.resize(900, 700);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QMdiSubWindow *table = tableSub();
            QMdiSubWindow *terminal = terminalSub();
            QVERIFY(terminal);
            terminal->show();
            terminal->setGeometry(terminalNormal);
            terminal->showMinimized();
            table->show();
            table->setGeometry(tableNormal);
            w.mdiArea()->setActiveSubWindow(table);
            table->showMaximized();
            QVERIFY(table->isMaximized());
            QVERIFY(terminal->isMinimized());
            WindowHost::current().collectWindowSettings();
            QCOMPARE(int(WindowSettings::table.placement.state), 2);
            QCOMPARE(int(WindowSettings::terminal.placement.state), 1);
            QCOMPARE(pixelsOf(WindowSettings::table.placement), tableNormal);
            QCOMPARE(pixelsOf(WindowSettings::terminal.placement), terminalNormal);
            QVERIFY(table->isMaximized());
            QVERIFY(terminal->isMinimized());
            QCOMPARE(w.mdiArea()->activeSubWindow(), table);
        }
        ProgramWindow again;
        again.resize(900, 700);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        WindowSettings::table.TabelTonen = true;
        WindowSettings::terminal.menuChecked = true;
        WindowHost::current().tableRead();
        WindowHost::current().terminalRead();
        QMdiSubWindow *table = tableSub();
        QMdiSubWindow *terminal = terminalSub();
        QTRY_VERIFY(table->isMaximized());
        QVERIFY(terminal->isMinimized());
        QTest::qWait(50);
        QVERIFY(table->isMaximized());
        QVERIFY(!terminal->isMaximized());
        table->showNormal();
        QCOMPARE(table->geometry(), tableNormal);
    }

    // A controller moved up by emptying the rows above it in File > Settings takes its name,
    // and its rack window's place and label fonts, to its new slot.
    void rackPlaceGoesWithItsController()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        for (int d = 1; d <= 3; ++d)
            sim.add("T542", 10 + d, 1);
        SerialPortTable::bind(9, sim.devicePath());
        SeriePoort = "COM9";
        Baudrate = "9600";
        InstellingenBestandsnaam = settingsFile();
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        w.resize(1000, 760);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ResetToestellen();
        for (int d = 1; d <= 3; ++d) {
            Toestel[d].Type = QStringLiteral("T542");
            Toestel[d].Idno = 10 + d;
            Toestel[d].Kanalen = 1;
            Toestel[d].Naam = QStringLiteral("Oven %1").arg(d);
            RackWindowSettings &r = WindowSettings::rack[size_t(d)];
            r.visible = true;
            r.placement = {0, float(d * 1500), float(d * 900), 2400, 3600};
            r.channelLabelFonts[0].size = float(8 + 2 * d);
            r.channelLabelFonts[0].bold = d == 3;
            WindowHost::current().deviceRead(d);
        }
        auto rackSub = [](int d) { return qobject_cast<QMdiSubWindow *>(RackVenster[d]->parentWidget()); };
        const QRect third = rackSub(3)->geometry();
        const QFont thirdFont = RackVenster[3]->LabelKanaal(0)->font();
        QVERIFY(rackSub(1)->geometry() != third);

        QPointer<frmInstellen> d = frmInstellen::Tonen(3);
        QVERIFY(d);
        QTableWidget *grid = d->MSHFlexGridController;
        dialogs.answerMessage(MsgBox::Yes);
        grid->clearSelection();
        grid->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 3), true);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Backspace);
        QVERIFY(grid->item(1, 1)->text().isEmpty());
        d->OKButton->click();
        QTRY_VERIFY(!frmInstellen::geopend());

        QCOMPARE(Toestel[1].Naam, QStringLiteral("Oven 3"));
        QVERIFY(!ToestelGeldig(2));
        QVERIFY(rackSub(1)->isVisible());
        QCOMPARE(rackSub(1)->geometry(), third);
        QCOMPARE(RackVenster[1]->LabelKanaal(0)->font().pointSizeF(), thirdFont.pointSizeF());
        QVERIFY(RackVenster[1]->LabelKanaal(0)->font().bold());
        QVERIFY(!rackSub(2)->isVisible());
    }

    // Deleting row 2 in File > Settings > Devices moves the third controller to slot 2: the value
    // font chosen with Window > Font goes with it, the new controller added in the same go starts
    // with the default fonts in the slot the third one left, and no table tab shows rows logged
    // for another controller under its name. The first controller keeps its rows and its font;
    // the data file is not touched.
    void movedControllerKeepsItsFontAndNoOtherRows()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        SerialPortTable::bind(9, sim.devicePath());
        SeriePoort = "COM9";
        Baudrate = "9600";
        InstellingenBestandsnaam = settingsFile();
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        w.resize(1000, 760);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString dataFile = home.filePath("moved.csv");
        const QByteArray logged = "\"Time\",\"Value CH1\"\r\n\"2026-01-05 09:00:00\",\"9.99\",\"pH\"\r\n";
        {
            QFile f(dataFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(logged);
        }
        Meetbestandsnaam = dataFile;
        ResetToestellen();
        const QStringList models{"T542", "T5781", "T575", "T512"};
        for (int d = 1; d <= 4; ++d) {
            Toestel[d].Type = models[d - 1];
            Toestel[d].Idno = 10 * d;
            Toestel[d].Kanalen = 1;
            Toestel[d].Naam = models[d - 1] + QStringLiteral(" #0%1").arg(10 * d);
            Toestel[d].Kanaal[1].Waarde = QStringLiteral("%1.%1").arg(d);
            Toestel[d].Kanaal[1].Eenheid = QStringLiteral("pH");
            WindowSettings::rack[size_t(d)].visible = true;
            WindowSettings::rack[size_t(d)].placement = {0, float(d * 1500), float(d * 900), 2400, 3600};
            WindowHost::current().deviceRead(d);
        }
        TabelVenster()->StelTabelIn(false);
        AantalRijen = 1;
        MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(9, 0));
        TabelVenster()->VulTabellenAan(QString());
        auto cell = [](int slot) {
            return TabelVenster()->MSHFlexGrid(slot - 1)->data().textMatrix(1, 3).trimmed();
        };
        QCOMPARE(cell(2), QStringLiteral("2.2"));

        // Window > Font on the second and third racks.
        const QStringList families{"", "", "DejaVu Serif", "DejaVu Sans Mono"};
        for (int d = 2; d <= 3; ++d) {
            w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(RackVenster[d]->parentWidget()));
            FontChoice choice;
            choice.font = QFont(families[d], 12);
            dialogs.answerFontChoice(choice);
            w.menuItem("mnuWindowFont")->trigger();
            QCOMPARE(RackVenster[d]->LabelWaarde(0)->font().family(), families[d]);
        }
        // Window > Font cancelled on the fourth rack changes nothing there.
        w.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(RackVenster[4]->parentWidget()));
        w.menuItem("mnuWindowFont")->trigger();
        QCOMPARE(dialogs.requests().last().kind, QStringLiteral("font"));
        // Every label's font but its size, which follows the window: the fourth rack was never
        // given one.
        auto fontsOf = [](int slot) {
            QList<QFont> fonts;
            for (QLabel *label : RackVenster[slot]->findChildren<QLabel *>()) {
                QFont font = label->font();
                font.setPointSize(10);
                fonts << font;
            }
            return fonts;
        };
        const QList<QFont> fontsOfT575 = fontsOf(3), fontsOfT512 = fontsOf(4);
        QVERIFY(!RackVenster[4]->LabelEenheid(0)->font().bold());

        QPointer<frmInstellen> d = frmInstellen::Tonen(3);
        QVERIFY(d);
        d->commitCell(2, 1, QString()); // the empty model: the row is deleted
        d->commitCell(5, 1, QStringLiteral("T552"));
        d->OKButton->click();
        QTRY_VERIFY(!frmInstellen::geopend());

        QCOMPARE(Toestel[1].Naam, QStringLiteral("T542 #010"));
        QCOMPARE(Toestel[2].Naam, QStringLiteral("T575 #030"));
        QCOMPARE(Toestel[3].Naam, QStringLiteral("T512 #040"));
        QCOMPARE(Toestel[4].Type, QStringLiteral("T552"));
        // Moved controllers keep their fonts whole; the new one has the fonts of a new rack.
        QCOMPARE(fontsOf(2), fontsOfT575);
        QCOMPARE(fontsOf(3), fontsOfT512);
        const QString standard = FormRack::StandaardWaardeLettertype().family();
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(RackVenster[1]->LabelWaarde(k)->font().family(), standard);
            QCOMPARE(RackVenster[4]->LabelWaarde(k)->font().family(), standard);
            QCOMPARE(RackVenster[4]->LabelEenheid(k)->font().family(), RackVenster[4]->font().family());
            QVERIFY(!RackVenster[4]->LabelEenheid(k)->font().bold());
        }
        QCOMPARE(TabelVenster()->MSHFlexGrid(0)->data().textMatrix(1, 3).trimmed(), QStringLiteral("1.1"));
        for (int s = 2; s <= 3; ++s)
            QVERIFY2(cell(s).isEmpty(), qPrintable(cell(s)));
        QCOMPARE(TabelToestelLabel(2), QStringLiteral("T575 #030"));

        // The next record fills every grid in the same row.
        AantalRijen = 2;
        MeetTijdstip = MeetTijdstip.addSecs(10);
        Toestel[2].Kanaal[1].Waarde = QStringLiteral("7.5");
        TabelVenster()->VulTabellenAan(QString());
        QCOMPARE(TabelVenster()->MSHFlexGrid(1)->data().textMatrix(2, 3).trimmed(), QStringLiteral("7.5"));
        QCOMPARE(TabelVenster()->MSHFlexGrid(1)->data().textMatrix(1, 0), QStringLiteral("1"));

        QFile f(dataFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), logged);
    }

    // A plain start with rack windows and the table in the settings file: the settings count
    // as unchanged, so closing asks nothing. The toolbar's menu item shows the toolbar's
    // state, and the table shows the tab it showed when it was last closed.
    void plainStart()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        for (int d = 1; d <= 3; ++d)
            sim.add("T542", 10 + d, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings();
        Registry::write("QLV2-CFG", "Table", "Tab", "2");

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No);
        ProgramWindow window;
        bool changedWhileRunning = true;
        bool toolbarChecked = false;
        bool toolbarShown = false;
        int tab = -1;
        int racksShown = 0;
        bool terminalShown = false;
        QTimer::singleShot(1500, &window, [&] {
            changedWhileRunning = InstellingenGewijzigd;
            toolbarChecked = window.menuItem("mnuWindowToolbar")->isChecked();
            toolbarShown = window.findChild<QToolBar *>("Toolbar")->isVisible();
            tab = TabelVenster()->Tab();
            for (int d = 1; d <= 3; ++d)
                racksShown += RackVenster.bestaand(d) && RackVenster.bestaand(d)->isVisible();
            terminalShown = frmTerminal::instance()->isVisible();
            window.close();
        });
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(racksShown, 3);
        QVERIFY(terminalShown);
        QCOMPARE(tab, 2);
        QVERIFY(toolbarShown);
        QVERIFY(toolbarChecked);
        QVERIFY(!changedWhileRunning);
        QVERIFY2(!dialogs.messageTexts().contains(Taaltekst(183)),
                 qPrintable(dialogs.messageTexts().join('|')));
    }

    // "/sysinfo" on the command line: the report opens in front of the main window, once
    // that is shown, and every line has its caption in the program's language.
    void systemInformationAtStart()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        for (int d = 1; d <= 3; ++d)
            sim.add("T542", 10 + d, 1);
        SerialPortTable::bind(9, sim.devicePath());
        qint16 dutch = 2;
        LaadTaal(dutch);
        writeSettings();
        Registry::write("QLV2-CFG", "Settings", "Language", "2");
        qint16 english = 0;
        LaadTaal(english);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No);
        ProgramWindow window;
        QString shown, expected;
        bool inFront = false;
        QTimer::singleShot(1500, &window, [&] {
            if (auto *info = window.findChild<SysteemInfoVenster *>()) {
                shown = info->isVisible() ? info->tekst()->toPlainText() : QString();
                inFront = QApplication::activeWindow() == info;
            }
            expected = systeemInfoTekst();
            window.close();
        });
        QVERIFY(window.MDIForm_Load({"/sysinfo"}));
        Registry::remove("QLV2-CFG", "Settings", "Language");
        QVERIFY(!shown.isEmpty());
        QVERIFY(inFront);
        QCOMPARE(shown, expected);
        QVERIFY(expected.contains(Taaltekst(562) + ": " + QString::fromLatin1(qVersion())));
        for (const QString &line : shown.split('\n'))
            QVERIFY2(!line.startsWith(':'), qPrintable(line));
        LaadTaal(english);
    }

    // Start-up speaks the language the settings file names from its first message on (the
    // registry holds none): a data file named on the command line in a folder that does not
    // exist is refused in Dutch and is not shown as the data file; one with zeros at its end is
    // opened with its damage told in Dutch, in a box of a few short lines.
    void startUpSpeaksTheConfiguredLanguage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QStringList>("told"); // "#" stands for the file's path
        QTest::newRow("a folder that does not exist")
            << home.filePath("no-such-folder/run.csv") << false
            << QStringList{"De opgegeven map is ongeldig!"};
        QTest::newRow("zeros at the end of the file")
            << home.filePath("zeros.csv") << true
            << QStringList{"#\r\nbevat losse stuurtekens:\r\n"
                           "1 beschadigde regel die geen meting is werd overgeslagen."};
    }
    void startUpSpeaksTheConfiguredLanguage()
    {
        QFETCH(QString, file);
        QFETCH(bool, taken);
        QFETCH(QStringList, told);
        Sim::Simulator sim;
        QVERIFY(sim.start());
        for (int d = 1; d <= 3; ++d)
            sim.add("T542", 10 + d, 1);
        SerialPortTable::bind(9, sim.devicePath());
        qint16 dutch = 2;
        LaadTaal(dutch);
        writeSettings();
        qint16 english = 0;
        LaadTaal(english);
        Registry::remove("QLV2-CFG", "Settings", "Language");
        if (taken) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\"Time\",\"Value CH1\"\r\n");
            for (int i = 0; i < 3; ++i)
                f.write("\"2026-01-05 09:00:0" + QByteArray::number(i) + "\",\"7.0" + QByteArray::number(i)
                        + "\",\"pH\"\r\n");
            f.write(QByteArray(200'000, '\0'));
        }

        // The program's own boxes are read here as they come, before the fixture's closer.
        boxCloser.stop();
        struct Restart {
            QTimer &t;
            ~Restart() { t.start(); }
        } restart{boxCloser};
        QStringList boxes;
        int widest = 0;
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&] {
            for (FormMelding *box : FormMelding::openBoxes())
                if (box->isVisible()) {
                    boxes << box->MijnMelding;
                    widest = qMax(widest, box->frameGeometry().width());
                    box->close();
                }
        });
        reader.start(20);
        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        QString title, dataFile;
        QTimer::singleShot(2000, &window, [&] {
            title = window.windowTitle();
            dataFile = Meetbestandsnaam;
            window.close();
        });
        QVERIFY(window.MDIForm_Load({file}));
        reader.stop();
        LaadTaal(english);

        const QStringList shown = dialogs.messageTexts() + boxes;
        for (QString text : told)
            QVERIFY2(shown.contains(text.replace("#", QDir::toNativeSeparators(file))),
                     qPrintable(shown.join(" | ")));
        QVERIFY2(widest < 640, qPrintable(QString::number(widest)));
        QCOMPARE(dataFile == file, taken);
        QCOMPARE(title.contains(QFileInfo(file).fileName()), taken);
        QCOMPARE(title.contains("no-such-folder"), false);
    }

    // The splash of the start-up: drawn in full colour, and a click on its photo does not
    // close it before its time.
    void splashAtStart()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 11, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings();

        ScriptedDialogProvider dialogs;
        ProgramWindow window(true);
        bool stayedOpen = false;
        int colourful = 0;
        QTimer::singleShot(700, &window, [&] {
            frmSplash *splash = frmSplash::open();
            QVERIFY(splash);
            const QImage photo = splash->ImgFoto->grab().toImage();
            for (int y = 0; y < photo.height(); y += 7)
                for (int x = 0; x < photo.width(); x += 7)
                    colourful += QColor(photo.pixel(x, y)).hsvSaturation() > 80;
            QTest::mouseClick(splash->ImgFoto, Qt::LeftButton);
            QTest::keyClick(splash, Qt::Key_A);
            stayedOpen = frmSplash::open() && frmSplash::open()->isVisible();
        });
        QTimer::singleShot(2500, &window, [&window] { window.mnuFileExit_Click(); });
        QVERIFY(window.MDIForm_Load({}));
        QVERIFY2(colourful > 20, qPrintable(QString::number(colourful)));
        QVERIFY(stayedOpen);
        QVERIFY(!frmSplash::open());
    }
};

QTEST_MAIN(TestWindowPlaces)
#include "tst_windowplaces.moc"
