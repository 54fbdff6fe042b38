#include "boxcloser.h"
#include "graphroadsupport.h"
#include "../graph/graphdialogsupport.h"

#include "core/datafile.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphwindow.h"
#include "graph/linesourcedialog.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/chart.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/serialport.h"
#include "platform/updown.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "views/table.h"
#include "simulator.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QMenu>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Hoofdmodule;

namespace {

class ProgramWindow : public mdiQLV2 {
public:
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

constexpr int Line1 = 3, Line2 = 4, High = 2;
constexpr int OvenSlot = 1, FlowSlot = 2;
const QColor LineTwoColour(0, 160, 80);

// Acts on the dialog `find` gives as soon as it shows, from a polling timer; whatever the action
// leaves open is cancelled, and a dialog that never shows stops the polling after a while.
void onShown(std::function<QWidget *()> find, std::function<void(QWidget *)> action,
             std::function<void(QWidget *)> cancel)
{
    auto *poll = new QTimer(qApp);
    const QDeadlineTimer deadline(20000);
    QObject::connect(poll, &QTimer::timeout, qApp, [=] {
        QWidget *d = find();
        if (!d || !d->isVisible()) {
            if (deadline.hasExpired()) {
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(d);
        if (QWidget *still = find(); still && still->isVisible())
            cancel(still);
    });
    poll->start(10);
}

void onSettingsDialog(std::function<void(frmGrafiekInstellen *)> action)
{
    onShown([] { return frmGrafiekInstellen::geopend(); },
            [action](QWidget *d) { action(static_cast<frmGrafiekInstellen *>(d)); },
            [](QWidget *d) { static_cast<frmGrafiekInstellen *>(d)->CmdCancel_Click(); });
}

void clickCell(CurveLijnenGrid *grid, int row, int column)
{
    grid->scrollToItem(grid->item(row, column));
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks controller `slot`, input `channel` for line `line` through the line-source dialog.
bool chooseSource(CurveLijnenGrid *grid, int line, int slot, int channel)
{
    bool chosen = false;
    onShown([] { return openLineSource(); },
            [&chosen, slot, channel](QWidget *w) {
                auto *d = static_cast<DialogInputGrafiekElement *>(w);
                d->ListController->setCurrentIndex(d->ListController->findData(slot));
                d->ListInputs->setCurrentIndex(channel);
                d->OKButton->click();
                chosen = true;
            },
            [](QWidget *w) { static_cast<DialogInputGrafiekElement *>(w)->CancelButton->click(); });
    clickCell(grid, line, CurveLijnenGrid::KolomBron);
    return chosen && !openLineSource();
}

// The part of a graph block from `header` up to the next blank line.
QString section(const QString &block, const QString &header)
{
    const qsizetype at = block.indexOf(header);
    if (at < 0)
        return QString();
    const qsizetype end = block.indexOf(QLatin1String("\r\n\r\n"), at);
    return block.mid(at, end - at);
}

// The program as it is wired, reading a settings file with an oven controller of two channels
// and a flow controller of one on a simulated line, its port open and polling on.
struct Rig {
    SkippingClock clock;
    Sim::Simulator sim;
    Sim::Controller *oven = nullptr;
    Sim::Controller *flow = nullptr;
    ScriptedDialogProvider dialogs;
    QTimer boxCloser;
    std::unique_ptr<ProgramWindow> w;
    QString settings;

    explicit Rig(const QString &dir) : settings(dir + QStringLiteral("/graphs.CFG"))
    {
        Clock::install(&clock);
        closeMessageBoxesEvery(boxCloser);
        QFile::remove(settings);
        QFile::remove(dir + QStringLiteral("/run.csv"));
        Meetbestandsnaam = dir + QStringLiteral("/run.csv");
    }

    ~Rig()
    {
        if (w)
            w->StopVerbinding();
        DataLog::instance().close();
        GrafiekVenster.Ontladen();
        MetenActief = false;
        w.reset();
        SerialPortTable::unbind(37);
        Clock::install(nullptr);
    }

    bool start()
    {
        if (!sim.start())
            return false;
        oven = &sim.add("T542", 12, 2);
        oven->channel[0].unit = "\xf8" "C";
        oven->channel[1].unit = "\xf8" "C";
        flow = &sim.add("T512", 40, 1);
        flow->channel[0].unit = "mS";
        SerialPortTable::bind(37, sim.devicePath());

        ResetToestellen();
        WindowSettings::reset();
        Toestel[OvenSlot].Type = "T542";
        Toestel[OvenSlot].Idno = 12;
        Toestel[OvenSlot].Kanalen = 2;
        Toestel[FlowSlot].Type = "T512";
        Toestel[FlowSlot].Idno = 40;
        Toestel[FlowSlot].Kanalen = 1;
        SeriePoort = "COM37";
        Baudrate = "9600";
        MeetInterval = 1;
        if (!SchrijfInstellingen(settings))
            return false;
        if (!readSettings())
            return false;
        w->initCommPoort();
        w->OpenCommPoort();
        if (!w->poortOpen())
            return false;
        MetenActief = true;
        return true;
    }

    // A program window that starts from the settings file, as at start-up.
    bool readSettings()
    {
        ResetToestellen();
        resetReadSettings();
        w = std::make_unique<ProgramWindow>();
        w->show();
        LeesInstellingen(settings);
        InstellingenBestandsnaam = settings;
        return ToestelGeldig(OvenSlot) && ToestelGeldig(FlowSlot);
    }

    // Logging on; the records are then taken by `record`, one a second of the skipped clock.
    bool startLogging()
    {
        w->StartStopVerbinding();
        // The one-second tick is the test's: the real timer, firing while replies are awaited
        // on a busy machine, would take a record early.
        QObject::disconnect(&w->TimerOpvragen, &QTimer::timeout, nullptr, nullptr);
        QTest::qWait(50);
        return LoggenActief;
    }

    // Polls both controllers, with the oven's first input at k and the flow at 2k, and writes
    // the record.
    bool record(int k)
    {
        oven->channel[0].value = QByteArray::number(k);
        oven->channel[1].value = QByteArray::number(k + 1000);
        flow->channel[0].value = QByteArray::number(2 * k);
        PollHooks &h = pollHooks();
        for (int slot : {OvenSlot, FlowSlot}) {
            h.sendPoll(slot);
            if (!readReplyNow(slot))
                return false;
        }
        clock.skip(1000);
        MeetTijdstip = clock.now();
        VerwerkenLegeMeting(QString());
        return true;
    }
};

// What chart row `row` of `graph` shows of line `line`, from controller `slot`'s first input, as
// the table logged it.
void compareRowWithTable(const frmGrafiek &graph, int series, int slot, int row)
{
    const qint32 m = graph.EersteMeting() + row - 1;
    const QString logged = TabelVenster()->gridData(slot - 1).textMatrix(m, 3).trimmed();
    QVERIFY2(!logged.isEmpty(), qPrintable(QStringLiteral("measurement %1").arg(m)));
    QCOMPARE(graph.Diagram()->value(series, row), logged.toDouble());
}

} // namespace

// Graph > New in the program as it is wired, against simulated controllers on a
// pseudo-terminal: a graph made through the settings dialog's own widgets draws the records
// polled afterwards, is saved by OK and comes back after a restart; a graph made over a logged
// run shows its last measurements; a new recorder samples on its own clock.
class TestGraphNewRoad : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication("QLV2-PORTS-graphnewroad");
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
    }

    void newTableGraphThroughTheDialog()
    {
        Rig rig(home.path());
        QVERIFY(rig.start());
        QCOMPARE(AantalGrafieken, qint16(0));

        bool sourcesChosen = false;
        int colourRequests = -1;
        rig.dialogs.answerColour(LineTwoColour);
        onSettingsDialog([&](frmGrafiekInstellen *d) {
            QCOMPARE(d->SSTab->currentIndex(), 3); // a new graph starts on its lines
            CurveLijnenGrid *grid = d->MSHFlexCurveLijnen;
            sourcesChosen = chooseSource(grid, 1, OvenSlot, 1) && chooseSource(grid, 2, FlowSlot, 1);
            clickCell(grid, 2, CurveLijnenGrid::KolomKleur);
            colourRequests = int(rig.dialogs.requests().size());
            d->SSTab->setCurrentIndex(0);
            d->CheckAlarmHoog->click();
            QLineEdit *limit = d->UpDownAlarmHoog->edit();
            QVERIFY(limit->isEnabled());
            limit->selectAll();
            QTest::keyClicks(limit, QStringLiteral("25"));
            d->CmdOK->click();
        });
        rig.w->menuItem("mnuGraphNewTable")->trigger();
        QVERIFY(sourcesChosen);
        QCOMPARE(colourRequests, 1);
        QCOMPARE(rig.dialogs.requests().at(0).kind, QStringLiteral("colour"));
        QCOMPARE(AantalGrafieken, qint16(1));
        frmGrafiek *graph = GrafiekVenster.inGebruik(1);
        QVERIFY(graph);
        QVERIFY(!graph->XYrecorder());
        QVERIFY(graph->isVisible());

        // OK saved the settings file with the new graph: its lines, colour and limit.
        const QStringList blocks = graphBlocks(fileText(rig.settings));
        QCOMPARE(blocks.size(), 1);
        const QString colour = QString::number(QColorNaarKleur(LineTwoColour));
        QCOMPARE(section(blocks[0], "[LINE1]"),
                 QStringLiteral("[LINE1]\r\nDevice=1\r\nInput=1\r\nColour=%1\r\nMin=0\r\nMax=0\r\nMean=0")
                     .arg(WindowSettings::graph[1].GrafiekKleur(3)));
        QCOMPARE(section(blocks[0], "[LINE2]"),
                 QStringLiteral("[LINE2]\r\nDevice=2\r\nInput=1\r\nColour=%1\r\nMin=0\r\nMax=0\r\nMean=0")
                     .arg(colour));
        QVERIFY(section(blocks[0], "[LINE3]").contains(QLatin1String("\r\nDevice=0\r\nInput=0\r\n")));
        QVERIFY(section(blocks[0], "[ALARM HIGH]").startsWith(
            QLatin1String("[ALARM HIGH]\r\nSet=True\r\nValue=25\r\n")));
        QVERIFY(section(blocks[0], "[ALARM LOW]").contains(QLatin1String("\r\nSet=False\r\n")));

        // Records polled from the line are drawn as they come, as the table logged them.
        QVERIFY(rig.startLogging());
        constexpr int Records = 20;
        for (int k = 1; k <= Records; ++k)
            QVERIFY2(rig.record(k), qPrintable(QStringLiteral("record %1").arg(k)));
        QCOMPARE(AantalRijen, Records);
        QCOMPARE(graph->EersteMeting(), 1);
        QCOMPARE(graph->AantalPunten(), Records);
        const Chart &c = *graph->Diagram();
        for (int r = 1; r <= Records; ++r) {
            compareRowWithTable(*graph, Line1, OvenSlot, r);
            compareRowWithTable(*graph, Line2, FlowSlot, r);
            QCOMPARE(c.value(Line1, r), double(r));
            QCOMPARE(c.value(Line2, r), 2.0 * r);
        }
        QVERIFY(c.isNull(Line1, Records + 1));
        QVERIFY(c.isNull(Line2, Records + 1));
        QVERIFY(c.isSeriesVisible(High));
        for (int r = 1; r <= c.rowCount(); ++r)
            QCOMPARE(c.value(High, r), 25.0);
        QCOMPARE(c.legendText(Line1), QStringLiteral("\u00b0C (CH1)"));
        QCOMPARE(c.legendText(Line2), QStringLiteral("mS (CH1)"));
        QCOMPARE(c.penColour(Line2), LineTwoColour);
        QCOMPARE(graph->seriesColour(Line2), LineTwoColour);
        const QString saved = blocks[0];

        // A restart brings the graph back with the same settings.
        rig.w->StopVerbinding();
        DataLog::instance().close();
        GrafiekVenster.Ontladen();
        MetenActief = false;
        rig.w.reset();
        QVERIFY(rig.readSettings());
        QCOMPARE(AantalGrafieken, qint16(1));
        frmGrafiek *again = GrafiekVenster.inGebruik(1);
        QVERIFY(again);
        QVERIFY(!again->XYrecorder());
        const GraphSettings &g = again->instellingen();
        QCOMPARE(g.LeesGrafiekLijnRef(1, 1), qint16(OvenSlot));
        QCOMPARE(g.LeesGrafiekLijnRef(1, 2), qint16(1));
        QCOMPARE(g.LeesGrafiekLijnRef(2, 1), qint16(FlowSlot));
        QCOMPARE(g.LeesGrafiekLijnRef(2, 2), qint16(1));
        QCOMPARE(g.LeesGrafiekLijnRef(3, 1), qint16(0));
        QVERIFY(g.AlarmHoog);
        QCOMPARE(g.AlarmHoogWaarde, 25.0);
        QVERIFY(!g.AlarmLaag);
        const Chart &rc = *again->Diagram();
        QCOMPARE(rc.penColour(Line2), LineTwoColour);
        QVERIFY(rc.isSeriesVisible(High));
        QCOMPARE(rc.value(High, 1), 25.0);
        QVERIFY(SchrijfInstellingen(home.filePath("again.CFG")));
        QCOMPARE(graphBlocks(fileText(home.filePath("again.CFG"))), QStringList{saved});

        // And draws the records of a new run.
        Meetbestandsnaam = home.filePath("second.csv");
        rig.w->initCommPoort();
        rig.w->OpenCommPoort();
        QVERIFY(rig.w->poortOpen());
        MetenActief = true;
        QVERIFY(rig.startLogging());
        for (int k = 1; k <= 3; ++k)
            QVERIFY(rig.record(100 + k));
        QCOMPARE(again->AantalPunten(), 3);
        for (int r = 1; r <= 3; ++r) {
            compareRowWithTable(*again, Line1, OvenSlot, r);
            compareRowWithTable(*again, Line2, FlowSlot, r);
            QCOMPARE(rc.value(Line2, r), 2.0 * (100 + r));
        }
        QCOMPARE(rc.penColour(Line2), LineTwoColour);
    }

    void newTableGraphOverALoggedRun()
    {
        Rig rig(home.path());
        QVERIFY(rig.start());
        QVERIFY(rig.startLogging());
        constexpr int Records = 300;
        for (int k = 1; k <= Records; ++k)
            QVERIFY2(rig.record(k), qPrintable(QStringLiteral("record %1").arg(k)));
        QCOMPARE(AantalRijen, Records);

        bool sourceChosen = false;
        onSettingsDialog([&](frmGrafiekInstellen *d) {
            sourceChosen = chooseSource(d->MSHFlexCurveLijnen, 1, OvenSlot, 1);
            d->CmdOK->click();
        });
        rig.w->menuItem("mnuGraphNewTable")->trigger();
        QVERIFY(sourceChosen);
        frmGrafiek *graph = GrafiekVenster.inGebruik(1);
        QVERIFY(graph);

        // The last MaxGrafiekZichtbaar measurements, the newest on the last filled row.
        const int shown = graph->instellingen().MaxGrafiekZichtbaar;
        QCOMPARE(graph->Diagram()->rowCount(), shown);
        QCOMPARE(graph->AantalPunten(), shown);
        QCOMPARE(graph->EersteMeting(), Records - shown + 1);
        for (int r = 1; r <= shown; ++r) {
            compareRowWithTable(*graph, Line1, OvenSlot, r);
            QCOMPARE(graph->Diagram()->value(Line1, r), double(Records - shown + r));
        }
        QCOMPARE(graph->Diagram()->value(Line1, shown), double(Records));

        // The next record moves the window on; its rows follow on the window's turn of the loop.
        QVERIFY(rig.record(Records + 1));
        QCOMPARE(graph->EersteMeting() + graph->AantalPunten() - 1, Records + 1);
        for (int turn = 0; turn < 10 && graph->verschuivingWacht(); ++turn)
            QCoreApplication::processEvents();
        QVERIFY(!graph->verschuivingWacht());
        for (int r = 1; r <= graph->AantalPunten(); ++r)
            compareRowWithTable(*graph, Line1, OvenSlot, r);
        QCOMPARE(graph->Diagram()->value(Line1, graph->AantalPunten()), double(Records + 1));
    }

    // The user closes a new graph by its close box (and answers Yes) while its settings dialog,
    // or the line-source dialog on top of it, waits: the dialogs close with it, nothing is left
    // of the graph, and polling and logging go on.
    void newGraphClosedUnderItsDialog_data()
    {
        QTest::addColumn<bool>("lineSourceOpen");
        QTest::newRow("settings dialog") << false;
        QTest::newRow("line-source dialog") << true;
    }
    void newGraphClosedUnderItsDialog()
    {
        QFETCH(bool, lineSourceOpen);
        Rig rig(home.path());
        QVERIFY(rig.start());
        QVERIFY(rig.startLogging());
        rig.boxCloser.stop(); // the close question is answered here
        const auto closeGraph = [](QWidget *) {
            frmGrafiek *graph = GrafiekVenster.inGebruik(1);
            QVERIFY(graph);
            QTimer::singleShot(20, qApp, [] {
                FormMelding *box = FormMelding::openBoxes().value(0);
                QVERIFY(box);
                box->knop(MsgBox::Yes)->click();
            });
            QPointer<frmGrafiek> closed = graph;
            graph->container()->close();
            // As on a desktop, where the window is gone before the dialog's wait ends.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!closed);
        };
        bool sourceShown = false;
        onSettingsDialog([&](frmGrafiekInstellen *d) {
            if (!lineSourceOpen) {
                closeGraph(d);
                return;
            }
            onShown([] { return openLineSource(); },
                    [&](QWidget *source) {
                        sourceShown = true;
                        closeGraph(source);
                    },
                    [](QWidget *source) {
                        static_cast<DialogInputGrafiekElement *>(source)->CancelButton->click();
                    });
            clickCell(d->MSHFlexCurveLijnen, 1, CurveLijnenGrid::KolomBron);
        });
        emit rig.w->menu("mnuGraph")->aboutToShow();
        rig.w->menuItem("mnuGraphNewTable")->trigger();
        QCOMPARE(sourceShown, lineSourceOpen);
        QVERIFY(!GrafiekVenster.inGebruik(1));
        QCOMPARE(AantalGrafieken, qint16(0));
        QVERIFY(!frmGrafiekInstellen::geopend());
        QVERIFY(!openLineSource());
        QVERIFY(!Bezig);
        QVERIFY(LoggenActief);
        QVERIFY(MetenActief);
        QVERIFY(FormMelding::openBoxes().isEmpty());
    }

    void newRecorderSamplesOnItsOwnClock()
    {
        Rig rig(home.path());
        QVERIFY(rig.start());
        QVERIFY(!LoggenActief);
        QVERIFY(!rig.w->TimerOpvragen.isActive());

        constexpr int Interval = 3;
        bool sourceChosen = false;
        onSettingsDialog([&](frmGrafiekInstellen *d) {
            sourceChosen = chooseSource(d->MSHFlexCurveLijnen, 1, FlowSlot, 1);
            d->SSTab->setCurrentIndex(0);
            QVERIFY(d->CheckRecorder->isChecked());
            // Typed over the whole field, hours, minutes and seconds.
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            d->TextTussentijd->setFocus();
            QVERIFY(d->TextTussentijd->hasFocus());
            d->TextTussentijd->selectAll();
            QTest::keyClicks(d->TextTussentijd, QStringLiteral("00000%1").arg(Interval));
            d->CmdOK->click();
        });
        rig.w->menuItem("mnuGraphNewRecorder")->trigger();
        QVERIFY(sourceChosen);
        frmGrafiek *recorder = GrafiekVenster.inGebruik(1);
        QVERIFY(recorder);
        QVERIFY(recorder->XYrecorder());
        QCOMPARE(recorder->RecorderTussentijd(), Interval);
        QVERIFY(MetenActief);

        // OK started the one-second tick, with nothing logged. The recorder's seconds pass on
        // the skipped clock only, and each is ticked here by hand.
        QVERIFY(rig.w->TimerOpvragen.isActive());
        PollHooks &h = pollHooks();
        const Chart &c = *recorder->Diagram();
        const int rows = c.rowCount();
        constexpr int Seconds = 4 * Interval;
        for (int s = 1; s <= Seconds; ++s) {
            rig.flow->channel[0].value = QByteArray::number(10 * s);
            h.sendPoll(FlowSlot);
            QVERIFY(readReplyNow(FlowSlot));
            rig.clock.skip(1000);
            rig.w->TimerOpvragen_Timer();
            QCOMPARE(recorder->AantalPunten(), s / Interval);
        }
        QCOMPARE(AantalRijen, 0);
        // The newest sample on the right, one per interval before it.
        const int samples = Seconds / Interval;
        for (int i = 0; i < samples; ++i)
            QCOMPARE(c.value(Line1, rows - i), 10.0 * (Seconds - i * Interval));
        QVERIFY(c.isNull(Line1, rows - samples));
    }
};

QTEST_MAIN(TestGraphNewRoad)
#include "tst_graphnewroad.moc"
