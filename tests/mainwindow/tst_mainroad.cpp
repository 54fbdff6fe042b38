#include "boxcloser.h"

#include "core/conversions.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/shutdownsignals.h"
#include "platform/pump.h"
#include "support/language.h"
#include "support/wrappers.h"
#include "mainwindow/wiring.h"
#include "platform/grid.h"
#include "views/rack.h"
#include "views/table.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "support/messagebox.h"
#include "core/windowsettings.h"
#include "graph/graphwindow.h"
#include "simulator.h"

#include <QApplication>
#include <QAction>
#include <QLabel>
#include <QFontMetrics>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Hoofdmodule;

namespace {
// The main window wired as the program wires it, without the splash's two seconds.
struct ProgramWindow : mdiQLV2 {
    ProgramWindow()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};
} // namespace

// The program's whole road, offscreen, against simulated controllers on a pseudo-terminal:
// start-up reads a settings file naming the line, polls three controllers (one silent), logs a
// record every two seconds and ends with the stop record when it is closed.
class TestMainRoad : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    // Answers the program's own message boxes as their Escape button would.
    QTimer boxCloser;

    QString documents() const { return home.path() + "/Documents"; }
    QString settingsFolder() const { return documents() + "/Marquel/QLV-2/Settings"; }
    QString dataFile() const { return documents() + "/Marquel/QLV-2/Data/Untitled.csv"; }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", documents().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(settingsFolder());
        SerialPortTable::setRegistryApplication("QLV2-PORTS-mainroad");
    }

    void init()
    {
        boxCloser.disconnect();
        closeMessageBoxesEvery(boxCloser);
        Pump::setEnding(false);
        ProgrammaStoppen = false;
        InstellingenHerladen = false;
        LoggenActief = false;
        MetenActief = false;
        Bezig = false;
        BestandOpCommando = false;
        AantalRijen = 0;
        QFile::remove(settingsFolder() + "/Qlv2.CFG");
        QFile::remove(dataFile());
        Registry::remove("QLV2-CFG", "Settings", "FileNameSettings");
    }

    // A settings file naming port 9 and the given controllers.
    void writeSettings(const QList<std::tuple<int, QString, int>> &devices, bool startLog)
    {
        ResetToestellen();
        for (const auto &[slot, type, idno] : devices) {
            Toestel[slot].Type = type;
            Toestel[slot].Idno = idno;
            Toestel[slot].Kanalen = 1;
        }
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 2;
        StartLoggen = startLog;
        LaadBestand = false;
        QVERIFY(SchrijfInstellingen(settingsFolder() + "/Qlv2.CFG"));
        ResetToestellen();
        SeriePoort = "COM1";
        StartLoggen = false;
    }

    void logsRecordsAndStopRecord()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &ph = sim.add("T542", 12, 2);
        ph.channel[0].value = "7.02";
        ph.channel[0].unit = "pH";
        ph.channel[1].value = "25.4";
        ph.channel[1].unit = "\xf8" "C";
        Sim::Controller &cond = sim.add("T5781", 20, 1);
        cond.channel[0].value = "1.234";
        cond.channel[0].unit = "mS";
        Sim::Controller &quiet = sim.add("T512", 3, 1);
        quiet.behaviour = Sim::Behaviour::Silent;
        SerialPortTable::bind(9, sim.devicePath());

        // The settings file the user would have saved: port 9, the three controllers, a record
        // every two seconds, logging from the start.
        ResetToestellen();
        const struct {
            int slot;
            const char *type;
            int idno;
            int channels;
        } devices[] = {{1, "T542", 12, 2}, {2, "T5781", 20, 1}, {3, "T512", 3, 1}};
        for (const auto &d : devices) {
            Toestel[d.slot].Type = d.type;
            Toestel[d.slot].Idno = d.idno;
            Toestel[d.slot].Kanalen = qint16(d.channels);
            Toestel[d.slot].Naam = QStringLiteral("Unit %1").arg(d.idno);
        }
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 2;
        StartLoggen = true;
        LaadBestand = false;
        QVERIFY(SchrijfInstellingen(settingsFolder() + "/Qlv2.CFG"));
        ResetToestellen();
        SeriePoort = "COM1";
        StartLoggen = false;

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        QTimer::singleShot(14000, &window, [&window] { window.mnuFileExit_Click(); });
        window.MDIForm_Load({});

        QFile file(dataFile());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(dataFile()));
        const QStringList lines = Cp1252::decode(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY2(lines.size() >= 4, qPrintable(lines.join('\n')));
        QVERIFY(lines[0].startsWith("\"Time\",\"Value CH1\",\"Unit CH1\""));
        const QString record = lines[lines.size() - 2];
        QVERIFY2(record.contains("\"7.02\",\"pH\",\"25.4\",\"\u00b0C\""), qPrintable(record));
        QVERIFY2(record.contains("\"1.234\",\"mS\""), qPrintable(record));
        QVERIFY2(record.contains("\"Reading error\""), qPrintable(record));
        // The stop record: the time, then no values.
        const QString stop = lines.last();
        QVERIFY2(!stop.contains("7.02") && !stop.contains("Reading error"), qPrintable(stop));
        QCOMPARE(stop.count(','), lines[0].count(','));
        QVERIFY(!LoggenActief);
        QVERIFY(window.isUnloaded());
        // The table took its fonts and widths from the settings file, with room for the dates.
        const GridData &grid = TabelVenster()->MSHFlexGrid(0)->data();
        QCOMPARE(grid.colWidth(11), 3000);
        QVERIFY(grid.colWidth(1) >= 1000);
        const QString date = grid.textMatrix(1, 1);
        QVERIFY(!date.isEmpty());
        QVERIFY(QFontMetrics(grid.font()).horizontalAdvance(date) * 1440 /
                    TabelVenster()->MSHFlexGrid(0)->logicalDpiX() < grid.colWidth(1));
        // The poll frames reached the controllers.
        QVERIFY(!ph.frames.isEmpty());
        QVERIFY(!cond.frames.isEmpty());
    }

    // No settings file: the general settings dialog comes first, and its Cancel ends start-up.
    void firstStartCancelled()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        bool sawDialog = false;
        QTimer poke;
        QObject::connect(&poke, &QTimer::timeout, [&] {
            if (frmInstellen *d = frmInstellen::geopend()) {
                sawDialog = true;
                d->reject();
            }
        });
        poke.start(50);
        QVERIFY(!window.MDIForm_Load({}));
        QVERIFY(sawDialog);
        QVERIFY(!window.isVisible());
        QVERIFY(!QFile::exists(dataFile()));
    }

    // Another copy runs with the same configuration and data file: No ends this one and
    // leaves the other's files alone.
    void secondCopyDeclined()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, false);
        const QString data = home.path() + "/second.csv";
        const QString caption = mdiQLV2::TitelVoor("QLV2-CFG", data);
        QLockFile other(instanceLockPath(caption));
        other.setStaleLockTime(0);
        QVERIFY(other.tryLock());
        QFile pending(data + ".new");
        QVERIFY(pending.open(QIODevice::WriteOnly));
        pending.write("edited\r\n");
        pending.close();

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No);
        ProgramWindow window;
        QVERIFY(!window.MDIForm_Load({data}));
        QVERIFY2(dialogs.messageTexts().value(0).startsWith(Taaltekst(507)),
                 qPrintable(dialogs.messageTexts().join('|')));
        window.close();
        QVERIFY(QFile::exists(data + ".new"));
        QVERIFY(sim.find(12)->frames.isEmpty());
    }

    // Closing by the user asks about changed settings; Cancel keeps the program running (with
    // logging stopped), No ends it. File > Exit never asks.
    void closeQuestions()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, true);

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        int step = 0;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!LoggenActief && step == 0)
                return; // wait until logging runs
            ++step;
            if (step == 1) {
                InstellingenGewijzigd = true;
                dialogs.answerMessage(MsgBox::Cancel);
                window.close();
            } else if (step == 2) {
                QVERIFY(window.isVisible());
                QVERIFY(!LoggenActief);
                dialogs.answerMessage(MsgBox::No);
                window.close();
            }
        });
        driver.start(300);
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(step, 2);
        QCOMPARE(dialogs.messageTexts().count(Taaltekst(183)), 2);
        QVERIFY(window.isUnloaded());
    }

    // A save at close that fails keeps the program running with its changes: the user was
    // told (text 313) and can save elsewhere, or close again and answer No.
    void failedSaveAtCloseKeepsTheProgram()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, false);
        QStringList boxes;
        boxCloser.disconnect();
        QObject::connect(&boxCloser, &QTimer::timeout, [&boxes] {
            for (FormMelding *box : FormMelding::openBoxes())
                if (box->isVisible()) {
                    boxes << box->MijnMelding;
                    box->close();
                }
        });
        const QString unwritable = home.path() + "/gone/Qlv2.CFG";

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        int step = 0;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!FormMelding::openBoxes().isEmpty())
                return; // the close is still waiting on its message
            ++step;
            if (step == 2) {
                InstellingenBestandsnaam = unwritable;
                InstellingenGewijzigd = true;
                dialogs.answerMessage(MsgBox::Yes);
                window.close();
            } else if (step == 3) {
                QVERIFY(window.isVisible());
                QVERIFY(!window.isUnloaded());
                QVERIFY(InstellingenGewijzigd);
                dialogs.answerMessage(MsgBox::No);
                window.close();
            }
        });
        driver.start(300);
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(step, 3);
        QVERIFY(window.isUnloaded());
        QCOMPARE(dialogs.messageTexts().count(Taaltekst(183)), 2);
        QString failed = Taaltekst(313);
        failed.replace("##", QDir::toNativeSeparators(unwritable));
        QVERIFY2(boxes.size() == 1 && boxes.first().startsWith(failed), qPrintable(boxes.join('|')));
        QVERIFY(!QFile::exists(unwritable));
    }

    // Reading the settings again, twice, leaves the graphs the file holds: no more, and none
    // of another configuration's.
    void settingsReloadTakesOnlyTheFilesGraphs()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        const QString withGraphs = home.path() + "/graphs.CFG";
        for (int g : {1, 2}) {
            WindowSettings::graph[size_t(g)].GrafiekIndex = qint16(g);
            WindowSettings::graph[size_t(g)].caption = QStringLiteral("Graph %1").arg(g);
        }
        writeSettings({{1, "T542", 12}}, false);
        WindowSettings::reset();
        QFile::remove(withGraphs);
        QVERIFY(QFile::rename(settingsFolder() + "/Qlv2.CFG", withGraphs));
        const QString without = home.path() + "/nographs.CFG";
        writeSettings({{2, "T542", 12}}, false);
        QFile::remove(without);
        QVERIFY(QFile::rename(settingsFolder() + "/Qlv2.CFG", without));
        writeSettings({{1, "T542", 12}}, false);

        ScriptedDialogProvider dialogs;
        dialogs.answerFile(withGraphs);
        dialogs.answerFile(withGraphs);
        dialogs.answerFile(without);
        ProgramWindow window;
        QList<int> graphCounts;
        QList<qsizetype> graphBlocks;
        QTimer driver;
        int step = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (InstellingenHerladen)
                return; // the reload has not run yet
            ++step;
            if (step > 1) {
                int windows = 0;
                for (int g = 1; g <= MaxGrafieken; ++g)
                    windows += GrafiekVenster.inGebruik(g) ? 1 : 0;
                QCOMPARE(windows, int(AantalGrafieken));
                graphCounts << AantalGrafieken;
                graphBlocks << InstellingenTekst().count("[GRAPHICS]");
            }
            if (step <= 3) {
                window.menuItem("mnuReadSettings")->trigger();
            } else {
                window.mnuFileExit_Click();
                driver.stop();
            }
        });
        driver.start(300);
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(graphCounts, (QList<int>{2, 2, 0}));
        QCOMPARE(graphBlocks, (QList<qsizetype>{2, 2, 0}));
        QCOMPARE(Toestel[2].Idno, 12);
    }

    // File > Read settings makes the poll loop return, the settings are read again and
    // polling goes on with the new controllers.
    void settingsReloadReentersPollLoop()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &first = sim.add("T542", 12, 1);
        Sim::Controller &second = sim.add("T512", 40, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T512", 40}}, false);
        const QString other = home.path() + "/other.CFG";
        QFile::rename(settingsFolder() + "/Qlv2.CFG", other);
        writeSettings({{1, "T542", 12}}, false);

        ScriptedDialogProvider dialogs;
        dialogs.answerFile(other);
        ProgramWindow window;
        QTimer driver;
        int step = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            ++step;
            if (step == 2) {
                QVERIFY(!first.frames.isEmpty());
                QVERIFY(second.frames.isEmpty());
                window.menuItem("mnuReadSettings")->trigger();
            } else if (step == 6) {
                window.mnuFileExit_Click();
            }
        });
        driver.start(500);
        QVERIFY(window.MDIForm_Load({}));
        QVERIFY(!second.frames.isEmpty());
        QCOMPARE(Toestel[1].Idno, 40);
    }

    // Closing while a reply wait is pending ends the program at once, not after the time-out.
    void closeDuringReplyWait()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &slow = sim.add("T542", 12, 1);
        slow.behaviour = Sim::Behaviour::Late;
        slow.lateMs = 60000;
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, false);

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        QElapsedTimer closing;
        QObject::connect(&sim, &Sim::Simulator::frameReceived, &window, [&] {
            if (!closing.isValid()) {
                closing.start();
                QTimer::singleShot(100, &window, [&window] { window.AfsluitenOnbewaakt(); });
            }
        });
        QVERIFY(window.MDIForm_Load({}));
        QVERIFY(closing.isValid());
        QVERIFY(window.isUnloaded());
        QVERIFY(dialogs.messageTexts().isEmpty());
    }

    // The line goes away while logging (an adapter pulled out): the run ends with its stop
    // record as soon as the port cannot be reopened, the status bar says logging is off, and
    // closing the program by its frame later writes nothing more.
    void lineLostWhileLogging()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, true);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No); // do not save the settings at the close
        ProgramWindow window;
        QTimer driver;
        int step = 0;
        int rowsAtStop = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (step == 0 && AantalRijen >= 2) {
                step = 1;
                sim.hangUp();
            } else if (step == 1 && !LoggenActief) {
                step = 2;
                rowsAtStop = AantalRijen;
                QCOMPARE(window.panel("Connect")->text(), Taaltekst(150));
                QVERIFY(!window.toolButton("tbrLogger")->isChecked());
                QTimer::singleShot(3000, &window, [&window] { window.close(); });
            }
        });
        driver.start(100);
        bool gaveUp = false;
        QTimer::singleShot(60000, &window, [&] {
            gaveUp = true;
            window.mnuFileExit_Click();
        });
        QVERIFY(window.MDIForm_Load({}));
        // The close by the frame ended the program, not the fallback exit.
        QCOMPARE(step, 2);
        QVERIFY(!gaveUp);
        QVERIFY(window.isUnloaded());
        QCOMPARE(AantalRijen, rowsAtStop);

        QFile file(dataFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = Cp1252::decode(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + rowsAtStop);
        int stops = 0;
        for (const QString &line : lines.mid(1))
            stops += !line.contains("0.00"); // the stop record: the time, then no values
        QCOMPARE(stops, 1);
        QVERIFY(!lines.last().contains("0.00"));
    }

    // A line lost while polling: every rack window shows at once that it has no live reading,
    // as after failed reads, and no stale value reaches a record; once polling reads again
    // (the user starts a run on the line that came back) the readings are live again.
    void lostLineShowsNoLiveReading()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1).channel[0].value = "7.10";
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, false);

        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No); // do not save the settings at the close
        ProgramWindow window;
        Sim::Simulator back;
        const auto shown = [] {
            FormRack *rack = RackVenster.bestaand(1);
            return rack && rack->Zichtbaar() ? rack->LabelWaarde(0)->text() : QStringLiteral("?");
        };
        QStringList seen;
        QTimer driver;
        int step = 0;
        int quietTicks = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (FormRack *rack = RackVenster.bestaand(1); rack && !rack->Zichtbaar()) {
                rack->FormInstellenControls();
                qobject_cast<QMdiSubWindow *>(rack->parentWidget())->show();
            }
            if (step == 0 && shown() == QLatin1String("7.10")) {
                step = 1;
                sim.hangUp();
            } else if (step == 1 && !window.poortOpen() && ++quietTicks > 3) {
                // A few display frames later.
                step = 2;
                seen << shown() << QString::number(Toestel[1].FoutTeller >= 3)
                     << Toestel[1].Kanaal[1].Waarde;
                QVERIFY(back.start());
                back.add("T542", 12, 1).channel[0].value = "7.20";
                SerialPortTable::bind(9, back.devicePath());
                window.StartStopVerbinding();
            } else if (step == 2 && shown() == QLatin1String("7.20")) {
                step = 3;
                seen << shown();
                window.mnuFileExit_Click();
            }
        });
        driver.start(100);
        QTimer::singleShot(60000, &window, [&] { window.mnuFileExit_Click(); });
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(step, 3);
        QCOMPARE(seen, (QStringList{QString(), "1", QString(), "7.20"}));
    }

    // A data file dropped while logging: logging stops first (stop record in the logged file),
    // then the dropped file is opened. Any other file is refused with a message.
    void dropWhileLogging()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, true);
        const QString dropped = home.path() + "/dropped.csv";
        QFile::remove(dropped);

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        QTimer driver;
        int step = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (step == 0 && AantalRijen >= 1) {
                step = 1;
                window.MDIForm_OLEDragDrop({home.path() + "/notes.txt"});
                QVERIFY(LoggenActief);
                QFile f(dropped);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.close();
                window.MDIForm_OLEDragDrop({dropped});
                QVERIFY(!LoggenActief);
                window.mnuFileExit_Click();
            }
        });
        driver.start(200);
        QVERIFY(window.MDIForm_Load({}));
        QCOMPARE(step, 1);
        QVERIFY(dialogs.messageTexts().contains(Taaltekst(312)));
        QCOMPARE(Meetbestandsnaam, dropped);
        QFile data(dataFile());
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(data.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 3);
        QVERIFY2(!lines.last().contains("\"0.00\""), qPrintable(lines.last()));
    }

    // SIGTERM (a system shutdown, a service manager) closes the program unattended: logging
    // ends with its stop record, no question is asked, the settings file stays as it is.
    void terminationSignalClosesUnattended()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 1);
        SerialPortTable::bind(9, sim.devicePath());
        writeSettings({{1, "T542", 12}}, true);
        const QByteArray settingsBefore = [&] {
            QFile f(settingsFolder() + "/Qlv2.CFG");
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        ScriptedDialogProvider dialogs;
        ProgramWindow window;
        ShutdownSignals signalsOfSystem;
        QObject::connect(&signalsOfSystem, &ShutdownSignals::requested, &window,
                         [&window](int) { window.AfsluitenOnbewaakt(); });
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (AantalRijen >= 1) {
                InstellingenGewijzigd = true; // would be asked about on a user's close
                driver.stop();
                std::raise(SIGTERM);
            }
        });
        driver.start(200);
        QVERIFY(window.MDIForm_Load({}));
        QVERIFY(window.isUnloaded());
        QVERIFY(dialogs.messageTexts().isEmpty());
        QFile data(dataFile());
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(data.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 3);
        QVERIFY2(lines[lines.size() - 2].contains("\"0.00\""), qPrintable(lines.join('\n')));
        QVERIFY2(!lines.last().contains("\"0.00\""), qPrintable(lines.last())); // the stop record
        QFile settings(settingsFolder() + "/Qlv2.CFG");
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), settingsBefore);
    }
};

QTEST_MAIN(TestMainRoad)
#include "tst_mainroad.moc"
