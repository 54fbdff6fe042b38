#include "core/shared.h"
#include "core/slots.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serialport.h"
#include "simulator.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

// The log timer and the poll loop together, on the manual clock: the main window wired as the
// program wires it, its one-second timer ticked by hand whole seconds after each (re)start, and
// poll steps ending at a pace of their own. Records must never come closer than the interval.
class TestLogTimer : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-logtimer");
    }

    void stampsLieAtLeastOneIntervalApart_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("stepMs"); // time between two finished poll steps
        QTest::addColumn<bool>("wallBack"); // the wall clock is set back an hour halfway
        QTest::newRow("5 s, steps of 700 ms") << 5 << 700 << false;
        QTest::newRow("5 s, steps of 300 ms") << 5 << 300 << false;
        QTest::newRow("1 s, steps of 450 ms") << 1 << 450 << false;
        QTest::newRow("2 s, steps of 1300 ms") << 2 << 1300 << false;
        QTest::newRow("2 s, wall clock set back") << 2 << 700 << true;
    }
    void stampsLieAtLeastOneIntervalApart()
    {
        QFETCH(int, interval);
        QFETCH(int, stepMs);
        QFETCH(bool, wallBack);
        ManualClock clock(QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0, 250)));
        Clock::install(&clock);
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 1, 1);
        SerialPortTable::bind(9, sim.devicePath());
        ScriptedDialogProvider dialogs;

        ResetToestellen();
        for (int d : {1, 2}) {
            Toestel[d].Type = "T512";
            Toestel[d].Idno = d;
            Toestel[d].Kanalen = 1;
        }
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = interval;
        Meetbestandsnaam = home.filePath("run.csv");
        AlleenLezen = Bezig = LoggenActief = StartLoggen = false;
        StartLoggenOpTijd = StopLoggenOpTijd = false;
        AantalRijen = 0;

        mdiQLV2 w;
        KoppelHoofdvenster(w);
        PollHooks &h = pollHooks();
        QList<QDateTime> stamps;
        h.writeRecord = [&](const QString &, int) { stamps << MeetTijdstip; };
        h.appendTableRow = nullptr;
        // The timer's ticks fall whole seconds after it was last started.
        qint64 phase = 0;
        const auto restart = h.setLogTimerEnabled;
        h.setLogTimerEnabled = [&](bool on) {
            restart(on);
            if (on)
                phase = clock.monotonicMs();
        };
        w.OpenCommPoort();
        QVERIFY(w.poortOpen());
        MetenActief = true;
        w.StartStopVerbinding();
        QVERIFY(LoggenActief);
        phase = clock.monotonicMs();

        qint64 nextStep = stepMs;
        for (qint64 t = 0; t < 60000; t += 10) {
            clock.advance(10);
            if (wallBack && t == 30000)
                clock.setWall(clock.now().addSecs(-3600));
            const qint64 now = clock.monotonicMs();
            if (w.TimerOpvragen.isActive() && now - phase >= 1000) {
                phase += 1000;
                w.TimerOpvragen_Timer();
            }
            if (t + 10 >= nextStep) {
                nextStep += stepMs;
                // A poll step of slot 2 ends a full cycle: slot 1 is next.
                Toestellen::HuidigToestel = 2;
                qint16 state = 4;
                OpvragenToestel(2, state);
            }
        }
        h.writeRecord = nullptr; // the stop record is not one of the interval's
        w.StopVerbinding();
        Clock::install(nullptr);

        QVERIFY(stamps.size() >= 60 / (interval + 2));
        for (int i = 1; i < stamps.size(); ++i) {
            qint64 apart = stamps[i - 1].msecsTo(stamps[i]);
            if (apart < 0)
                apart += 3600 * 1000; // across the wall clock set back
            // Each stamp is its tick's moment: whole seconds after the start of the run.
            QCOMPARE(apart % 1000, qint64(0));
            QVERIFY2(apart >= interval * 1000,
                     qPrintable(QStringLiteral("records %1 and %2 only %3 ms apart")
                                    .arg(i - 1).arg(i).arg(apart)));
            // Due at the first tick a whole interval after the last record with a cycle ended
            // since: a cycle ends every step here.
            QVERIFY2(apart <= interval * 1000 + (stepMs + 999) / 1000 * 1000,
                     qPrintable(QStringLiteral("records %1 and %2 %3 ms apart")
                                    .arg(i - 1).arg(i).arg(apart)));
        }
    }

    // Idle, nothing runs: after one tick with nothing to do the log timer rests, the connection
    // clock runs only while logging, and a tick re-sets no menu item.
    void timersRestWhenIdle_data()
    {
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<bool>("logFromStart");
        QTest::addColumn<bool>("ticking");
        QTest::newRow("idle") << false << false << false << false;
        QTest::newRow("start scheduled") << false << true << false << true;
        QTest::newRow("schedule ignored when logging from the start")
            << false << true << true << false;
        QTest::newRow("logging") << true << false << false << true;
    }
    void timersRestWhenIdle()
    {
        QFETCH(bool, logging);
        QFETCH(bool, scheduled);
        QFETCH(bool, logFromStart);
        QFETCH(bool, ticking);
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 1, 1);
        SerialPortTable::bind(9, sim.devicePath());
        ScriptedDialogProvider dialogs;
        ResetToestellen();
        Toestel[1].Type = "T512";
        Toestel[1].Idno = 1;
        Toestel[1].Kanalen = 1;
        SeriePoort = "COM9";
        MeetInterval = 60;
        Meetbestandsnaam = home.filePath("idle.csv");
        AlleenLezen = Bezig = LoggenActief = false;
        StartLoggen = logFromStart;
        StartLoggenOpTijd = scheduled;
        StopLoggenOpTijd = false;
        StartTijd = QDateTime::currentDateTime().addDays(1);
        AantalRijen = 0;
        CyclusVoltooid = false;

        mdiQLV2 w;
        KoppelHoofdvenster(w);
        w.OpenCommPoort();
        MetenActief = true;
        w.PlaatsAanduidingenCOM();
        if (logging)
            w.StartStopVerbinding();
        QCOMPARE(LoggenActief, logging);
        QCOMPARE(w.TimerControleTeller.isActive(), logging);

        QList<QAction *> items;
        for (const char *name : {"mnuDataMeasure", "mnuDatalogging", "mnuDataReceive",
                                 "mnuDataTransfer", "mnuFileSaveSettings"})
            items << w.menuItem(name);
        items << w.toolButton("tbrLogger") << w.toolButton("tbrMeasure")
              << w.toolButton("tbrGraph") << w.toolButton("tbrSaveSettings");
        int changes = 0;
        for (QAction *a : items)
            connect(a, &QAction::changed, this, [&changes] { ++changes; });
        w.TimerOpvragen_Timer(); // settles what the first tick after a change may set
        changes = 0;
        w.TimerOpvragen_Timer();
        QCOMPARE(changes, 0);
        QCOMPARE(w.TimerOpvragen.isActive(), ticking);

        w.StopVerbinding();
        QVERIFY(!w.TimerControleTeller.isActive());
        StartLoggen = StartLoggenOpTijd = false;
        MetenActief = false;
    }
};

QTEST_MAIN(TestLogTimer)
#include "tst_logtimer.moc"
