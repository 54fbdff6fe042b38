#include "boxcloser.h"
#include "graphroadsupport.h"

#include "core/datafile.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphrules.h"
#include "graph/graphwindow.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/chart.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "views/table.h"
#include "simulator.h"

#include <QAction>
#include <QFile>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

constexpr int Line1 = 3, Line2 = 4, High = 2;

} // namespace

// Graph windows in the program as it is wired, against simulated controllers on a
// pseudo-terminal: a normal graph of two lines with a high limit and a recorder, both from the
// settings file; records polled from the line, logged and plotted; scrolling, File > New and
// File > Open; the settings written back as they were read.
class TestGraphRoad : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-graphroad");
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
    }

    void recordsReachTheGraphs()
    {
        SkippingClock clock;
        Clock::install(&clock);
        Sim::Simulator sim;
        QVERIFY(sim.start());
        Sim::Controller &oven = sim.add("T542", 12, 2);
        oven.channel[0].unit = "\xf8" "C";
        oven.channel[1].unit = "\xf8" "C";
        oven.channel[1].value = "20.5";
        Sim::Controller &flow = sim.add("T512", 40, 1);
        flow.channel[0].unit = "mS";
        SerialPortTable::bind(37, sim.devicePath());
        ScriptedDialogProvider dialogs;
        QTimer boxCloser;
        closeMessageBoxesEvery(boxCloser);

        // The settings file: two controllers, a normal graph and a recorder.
        ResetToestellen();
        WindowSettings::reset();
        Toestel[1].Type = "T542";
        Toestel[1].Idno = 12;
        Toestel[1].Kanalen = 2;
        Toestel[2].Type = "T512";
        Toestel[2].Idno = 40;
        Toestel[2].Kanalen = 1;
        SeriePoort = "COM37";
        Baudrate = "9600";
        MeetInterval = 1;
        GraphSettings &normal = WindowSettings::graph[1];
        normal.resetToLoadDefaults(1);
        normal.caption = "Oven";
        normal.MaxGrafiekZichtbaar = 50;
        normal.LabelKeuze = 3;
        normal.AlarmHoog = true;
        normal.AlarmHoogWaarde = 25;
        normal.LegendeKeuze = true;
        normal.SchrijfGrafiekLijnRef(1, 1, 1);
        normal.SchrijfGrafiekLijnRef(1, 2, 1);
        normal.SchrijfGrafiekLijnRef(1, 3, 1);
        normal.SchrijfGrafiekLijnRef(2, 1, 1);
        normal.SchrijfGrafiekLijnRef(2, 2, 2);
        normal.ZetDiagramKleur(4, 0x0080FF);
        GraphSettings &recorder = WindowSettings::graph[2];
        recorder.resetToLoadDefaults(2);
        recorder.caption = "Flow";
        recorder.XYrecorder = true;
        recorder.MaxGrafiekZichtbaar = 50;
        recorder.LabelKeuze = 3;
        recorder.RecorderTussentijd = 5;
        recorder.SchrijfGrafiekLijnRef(1, 1, 2);
        recorder.SchrijfGrafiekLijnRef(1, 2, 1);
        const QString settings = home.filePath("graphs.CFG");
        QVERIFY(SchrijfInstellingen(settings));
        const QString written = fileText(settings);
        QCOMPARE(graphBlocks(written).size(), 2);
        ResetToestellen();
        resetReadSettings();

        mdiQLV2 w;
        KoppelHoofdvenster(w);
        w.show();
        LeesInstellingen(settings);
        QCOMPARE(AantalGrafieken, qint16(2));
        frmGrafiek *oven1 = GrafiekVenster.inGebruik(1);
        frmGrafiek *flow2 = GrafiekVenster.inGebruik(2);
        QVERIFY(oven1 && flow2);
        QCOMPARE(oven1->windowTitle(), QStringLiteral("Oven"));
        QVERIFY(flow2->XYrecorder());
        QVERIFY(qobject_cast<QMdiSubWindow *>(oven1->parentWidget()));

        Meetbestandsnaam = home.filePath("run.csv");
        w.initCommPoort();
        w.OpenCommPoort();
        QVERIFY(w.poortOpen());
        MetenActief = true;
        w.StartStopVerbinding();
        QVERIFY(LoggenActief);
        // The loop below is the one-second tick: the real timer, firing while replies are
        // awaited on a busy machine, would take a recorder sample a record early.
        QObject::disconnect(&w.TimerOpvragen, &QTimer::timeout, nullptr, nullptr);
        // Whatever the start left queued runs now, so the recorder's clock starts here.
        QTest::qWait(50);
        flow2->HerInitialiseerGrafiek();

        // 120 records, one a second; the oven's first channel logs the record's number, its
        // second has no value every tenth record.
        PollHooks &h = pollHooks();
        int samples = 0;
        for (int k = 1; k <= 120; ++k) {
            oven.channel[0].value = QByteArray::number(k);
            oven.channel[1].noValue = k % 10 == 0; // the rack shows "OR."
            flow.channel[0].value = QByteArray::number(k * 2);
            for (int slot : {1, 2}) {
                h.sendPoll(slot);
                QVERIFY2(readReplyNow(slot), qPrintable(QStringLiteral("record %1 slot %2").arg(k).arg(slot)));
            }
            clock.skip(1000);
            const qint64 before = flow2->volgendeRecorderMs();
            h.sampleRecorders(AantalRijen);
            if (flow2->volgendeRecorderMs() != before)
                ++samples;
            MeetTijdstip = clock.now();
            VerwerkenLegeMeting(QString());
        }
        QCOMPARE(AantalRijen, 120);

        // The normal graph: rows 1..AantalPunten show the measurements up to 120, as in the
        // table, with gaps where the channel was over range.
        VensterStand stand;
        for (qint32 n = 1; n <= 120; ++n)
            VolgendePunt(stand, 50, n);
        QCOMPARE(oven1->EersteMeting(), stand.EersteMeting);
        QCOMPARE(oven1->AantalPunten(), stand.AantalPunten);
        const Chart &c = *oven1->Diagram();
        const GridData &grid = TabelVenster()->gridData(0);
        for (int r = 1; r <= 50; ++r) {
            const int m = oven1->EersteMeting() + r - 1;
            if (r > oven1->AantalPunten()) {
                QVERIFY(c.isNull(Line1, r));
                continue;
            }
            // The time axis labels every 7th row.
            QCOMPARE(c.rowLabel(r), (r - 1) % 7 == 0 ? QString::number(m) : QString());
            QCOMPARE(grid.textMatrix(m, 3), QString::number(m));
            QCOMPARE(c.value(Line1, r), double(m));
            QCOMPARE(c.isNull(Line2, r), m % 10 == 0);
            QCOMPARE(c.value(High, r), 25.0);
        }
        QCOMPARE(c.value(Line1, oven1->AantalPunten()), 120.0);
        QCOMPARE(c.legendText(Line1), QStringLiteral("\u00b0C (CH1)"));
        QCOMPARE(c.penColour(Line2), QColor(255, 128, 0));

        // The recorder: one sample per five seconds, the newest on the right.
        QCOMPARE(samples, 120 / 5);
        const Chart &rc = *flow2->Diagram();
        QCOMPARE(flow2->AantalPunten(), samples);
        for (int i = 0; i < samples; ++i) {
            const int row = 50 - samples + 1 + i;
            QCOMPARE(rc.rowLabel(row), QString::number(i));
            QVERIFY(!rc.isNull(Line1, row));
        }
        QVERIFY(rc.isNull(Line1, 50 - samples));
        QCOMPARE(rc.value(Line1, 50), 2.0 * 120);

        // Scrolling back, as the user drags the bar.
        oven1->HorScrollBar()->setValue(30);
        QCOMPARE(oven1->EersteMeting(), 30);
        for (int r = 1; r <= 50; ++r) {
            QCOMPARE(c.value(Line1, r), 29.0 + r);
            QCOMPARE(c.rowLabel(r), (r - 1) % 7 == 0 ? QString::number(29 + r) : QString());
        }

        // Saving writes the graph settings and line tables back as they were read.
        QVERIFY(SchrijfInstellingen(home.filePath("saved.CFG")));
        QCOMPARE(graphBlocks(fileText(home.filePath("saved.CFG"))), graphBlocks(written));

        // File > New: the graphs start again from the new file's first record.
        const QString fresh = home.filePath("fresh.csv");
        dialogs.answerFile(fresh);
        w.menuItem("mnuFileNew")->trigger();
        QCOMPARE(Meetbestandsnaam, fresh);
        QCOMPARE(oven1->EersteMeting(), 1);
        QCOMPARE(oven1->AantalPunten(), 0);
        MetenActief = true;
        w.StartStopVerbinding();
        QVERIFY(LoggenActief);
        for (int k = 1; k <= 3; ++k) {
            oven.channel[0].value = QByteArray::number(500 + k);
            for (int slot : {1, 2}) {
                h.sendPoll(slot);
                QVERIFY(readReplyNow(slot));
            }
            clock.skip(1000);
            MeetTijdstip = clock.now();
            VerwerkenLegeMeting(QString());
        }
        QCOMPARE(oven1->AantalPunten(), 3);
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(c.value(Line1, r), 500.0 + r);
        w.StopVerbinding();

        // File > Open of the first run: the last window of its records.
        dialogs.answerFile(home.filePath("run.csv"));
        w.menuItem("mnuFileOpen")->trigger();
        QCOMPARE(Meetbestandsnaam, home.filePath("run.csv"));
        QVERIFY(AantalRijen >= 120);
        QCOMPARE(oven1->EersteMeting() + oven1->AantalPunten() - 1, AantalRijen);
        for (int r = 1; r <= oven1->AantalPunten(); ++r) {
            const int m = oven1->EersteMeting() + r - 1;
            const QString logged = TabelVenster()->gridData(0).textMatrix(m, 3).trimmed();
            if (logged.isEmpty())
                QVERIFY(c.isNull(Line1, r)); // the stop record
            else
                QCOMPARE(c.value(Line1, r), logged.toDouble());
        }

        // Closing a graph other than the one whose settings were copied keeps the copy; closing
        // that one drops it.
        w.Rs = 1;
        w.KopieerSetGraph = true;
        flow2->SluitDoorCode();
        QVERIFY(w.KopieerSetGraph);
        oven1->SluitDoorCode();
        QVERIFY(!w.KopieerSetGraph);
        QCOMPARE(AantalGrafieken, qint16(0));

        w.StopVerbinding();
        DataLog::instance().close();
        GrafiekVenster.Ontladen();
        MetenActief = false;
        SerialPortTable::unbind(37);
        Clock::install(nullptr);
    }
};

QTEST_MAIN(TestGraphRoad)
#include "tst_graphroad.moc"
