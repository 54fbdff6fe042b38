#include "boxcloser.h"
#include "programrig.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsdialog.h"
#include "graph/linesourcedialog.h"
#include "graph/graphwindow.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/chart.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "simulator.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

using namespace Hoofdmodule;

namespace {

// A double-click on the widget through the window system's queue, as the user's
// own arrives.
void doubleClick(QWidget *widget)
{
    QWindow *window = widget->window()->windowHandle();
    const QPointF at = widget->mapTo(widget->window(), widget->rect().center());
    const QPointF global = widget->mapToGlobal(widget->rect().center());
    using W = QWindowSystemInterface;
    ulong t = 1000;
    for (int i = 0; i < 2; ++i) {
        W::handleMouseEvent<W::AsynchronousDelivery>(window, t++, at, global, Qt::LeftButton,
                                                     Qt::LeftButton, QEvent::MouseButtonPress);
        W::handleMouseEvent<W::AsynchronousDelivery>(window, t++, at, global, Qt::NoButton,
                                                     Qt::LeftButton, QEvent::MouseButtonRelease);
    }
}

// Runs the action once no poll exchange runs: a person's command is handed to
// the program between exchanges (the platform test shows it), and a timer of
// the test's own is not.
void atRest(QObject *context, int ms, std::function<void()> action)
{
    QTimer::singleShot(ms, context, [context, action] {
        if (OpvragenGepauzeerd() || !Pump::atRest())
            atRest(context, 1, action);
        else
            action();
    });
}
} // namespace

// Logging goes on, record after record on its tick, while the program waits for
// the user: a graph settings dialog opened during a slow controller's reply and
// one opened between exchanges, each left open for 10 s, a pop-up menu and a
// file dialog held open, and the "Settings saved!" box left standing.
class TestLogThroughWaits : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;

    QString documents() const { return home.path() + "/Documents"; }
    QString settingsFile() const { return documents() + "/Marquel/QLV-2/Settings/Qlv2.CFG"; }
    QString dataFile() const { return documents() + "/Marquel/QLV-2/Data/Untitled.csv"; }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", documents().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
        SerialPortTable::setRegistryApplication("QLV2-PORTS-logwaits");
    }

    void recordsKeepTheirTicksThroughEveryWait()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 2);
        sim.add("T5781", 20, 1);
        sim.add("T512", 3, 1).behaviour = Sim::Behaviour::Silent;
        Sim::Controller &slow = sim.add("T512", 7, 1);
        slow.behaviour = Sim::Behaviour::Late;
        slow.lateMs = 700;
        SerialPortTable::bind(9, sim.devicePath());

        ResetToestellen();
        const struct {
            int slot;
            const char *type;
            int idno;
            int channels;
        } devices[] = {
            {1, "T542", 12, 2}, {2, "T5781", 20, 1}, {3, "T512", 3, 1}, {4, "T512", 7, 1}};
        for (const auto &d : devices) {
            Toestel[d.slot].Type = d.type;
            Toestel[d.slot].Idno = d.idno;
            Toestel[d.slot].Kanalen = qint16(d.channels);
        }
        SeriePoort = "COM9";
        Baudrate = "9600";
        MeetInterval = 2;
        StartLoggen = true;
        LaadBestand = false;
        QVERIFY(SchrijfInstellingen(settingsFile()));
        ResetToestellen();
        SeriePoort = "COM1";
        StartLoggen = false;
        Pump::setEnding(false);
        ProgrammaStoppen = InstellingenHerladen = LoggenActief = MetenActief = Bezig = false;
        AantalRijen = 0;
        closeMessageBoxesEvery(boxCloser, 5000);

        WiredProgram w;
        // What the test sees of the run: every cycle end and every record, on the
        // monotonic clock, and whether a dialog ever opened inside an exchange.
        PollHooks &h = pollHooks();
        QList<qint64> cycleEnds;
        QList<QDateTime> stamps;
        const auto cycleEnded = h.cycleEnded;
        h.cycleEnded = [&] {
            cycleEnds << Clock::current().monotonicMs();
            cycleEnded();
        };
        const auto writeRecord = h.writeRecord;
        h.writeRecord = [&](const QString &info, int tnr) {
            if (info.isEmpty())
                stamps << MeetTijdstip;
            writeRecord(info, tnr);
        };
        QList<QPair<qint64, qint64>> waits; // each wait for the user: from, to
        bool openedInsideExchange = false;
        const auto waitFor = [&](int ms, std::function<void()> close) {
            const qint64 from = Clock::current().monotonicMs();
            QTimer::singleShot(ms, &w, [&waits, from, close] {
                waits << qMakePair(from, Clock::current().monotonicMs());
                close();
            });
        };
        const auto settingsDialogFor = [&](int ms) {
            QTimer *poll = new QTimer(&w);
            connect(poll, &QTimer::timeout, poll, [poll, ms, &waitFor] {
                if (frmGrafiekInstellen *d = frmGrafiekInstellen::geopend()) {
                    poll->stop();
                    poll->deleteLater();
                    QPointer<frmGrafiekInstellen> dialog = d;
                    waitFor(ms, [dialog] {
                        if (dialog)
                            dialog->CmdCancel_Click();
                    });
                }
            });
            poll->start(1);
        };
        // The double-click's command opens the dialog: never inside an exchange.
        const auto openDialog = graphSettingsDialogHook();
        graphSettingsDialogHook() = [&](int g) {
            openedInsideExchange |= OpvraagStapBezig();
            return openDialog(g);
        };
        frmGrafiek *graph = nullptr;
        int frames = 0;
        // Frames that reach the line while the write's box stands, with what the program was
        // doing then: none should.
        bool boxStanding = false;
        QStringList framesInBox;
        connect(&sim, &Sim::Simulator::frameReceived, &w, [&](const QByteArray &frame) {
            ++frames;
            if (boxStanding) {
                QStringList boxes;
                for (FormMelding *b : FormMelding::openBoxes())
                    if (b->isVisible())
                        boxes << b->findChild<QLabel *>("LabelMelding")->text();
                framesInBox << QStringLiteral("%1 (in a step %2, held %3, at rest %4, boxes: %5)")
                                   .arg(QString::fromLatin1(frame.trimmed()))
                                   .arg(OpvraagStapBezig())
                                   .arg(OpvragenGepauzeerd())
                                   .arg(Pump::atRest())
                                   .arg(boxes.join(QStringLiteral(" | ")));
            }
        });
        qsizetype lostWithTheFolder = -1;
        int framesDuringBox = -1;

        // The rest of the run, counted from the graph's making.
        std::function<void()> later = [&] {
            // 3 s on: the user double-clicks the graph while the slow controller's
            // reply is awaited.
            QTimer::singleShot(3000, &w, [&] {
                auto *once = new QObject(&w);
                connect(&sim, &Sim::Simulator::frameReceived, once,
                        [&, graph, once](const QByteArray &frame) {
                            if (!frame.startsWith("#007") || !graph)
                                return;
                            sim.disconnect(once);
                            doubleClick(graph->Diagram());
                            settingsDialogFor(10000);
                        });
            });
            // 18 s, once the first dialog is gone: the Graph > Settings command.
            atRest(&w, 18000, [&] {
                settingsDialogFor(10000);
                w.menuItem("mnuExtraSettingsGraph")->trigger();
            });
            // 29 s: the graph's pop-up menu, held open.
            atRest(&w, 29000, [&] {
                waitFor(5000, [] {
                    if (QWidget *menu = QApplication::activePopupWidget())
                        menu->close();
                });
                emit graph->menuGevraagd(graph->mapToGlobal(QPoint(50, 50)));
            });
            // 36 s: File > Read settings, its file dialog held open and cancelled.
            atRest(&w, 36000, [&] {
                waitFor(5000, [] {
                    for (QWidget *t : QApplication::topLevelWidgets())
                        if (auto *d = qobject_cast<QFileDialog *>(t); d && d->isVisible())
                            d->reject();
                });
                w.menuItem("mnuReadSettings")->trigger();
            });
            // 43 s: File > Save settings; its box stands for 5 s without holding
            // anything up.
            atRest(&w, 43000, [&] {
                w.menuItem("mnuFileSaveSettings")->trigger();
                waitFor(5000, [] {
                    // That box alone: on a loaded machine the write's question may already
                    // stand beside it, and its answer is the test's own.
                    for (FormMelding *b : FormMelding::openBoxes())
                        if (b->findChild<QLabel *>("LabelMelding")->text() == Taaltekst(184))
                            b->knop(MsgBox::Ok)->click();
                });
            });
            // 50 s: the data folder vanishes (a stick pulled out). The record in whose write
            // that shows asks Retry or Cancel and waits; that answer belongs to the write, so
            // no exchange runs meanwhile. The folder is back after 5 s, and Retry.
            atRest(&w, 50000, [&] {
                boxCloser.stop(); // the box that comes now is answered here
                QDir(QFileInfo(dataFile()).absolutePath()).removeRecursively();
                QTimer *poll = new QTimer(&w);
                connect(poll, &QTimer::timeout, poll, [&, poll] {
                    FormMelding *box = nullptr;
                    for (FormMelding *b : FormMelding::openBoxes())
                        // The write's own box, not one left standing by an earlier wait
                        // that a loaded machine ran late.
                        if (b->isVisible() && b->knop(MsgBox::Retry)->isVisibleTo(b))
                            box = b;
                    if (!box)
                        return;
                    poll->stop();
                    poll->deleteLater();
                    lostWithTheFolder = stamps.size();
                    // A frame already on its way to the simulator may still arrive just after.
                    auto framesBefore = std::make_shared<int>(-1);
                    QTimer::singleShot(200, &w, [&frames, &boxStanding, framesBefore] {
                        *framesBefore = frames;
                        boxStanding = true;
                    });
                    QPointer<FormMelding> retry = box;
                    QTimer::singleShot(5000, &w, [&, retry, framesBefore] {
                        framesDuringBox = frames - *framesBefore;
                        boxStanding = false;
                        QDir().mkpath(QFileInfo(dataFile()).absolutePath());
                        if (retry)
                            retry->knop(MsgBox::Retry)->click();
                        // A few records after the folder is back, then the end, however
                        // late a loaded machine brought the box.
                        QTimer::singleShot(7000, &w, [&w] { w.mnuFileExit_Click(); });
                    });
                });
                poll->start(10);
            });
        };
        // 1 s: a graph to double-click, made through Graph > New; its dialog is
        // confirmed.
        atRest(&w, 1000, [&] {
            QTimer::singleShot(200, &w, [] {
                if (frmGrafiekInstellen *d = frmGrafiekInstellen::geopend())
                    d->CmdOK_Click();
            });
            emit w.menu("mnuGraph")->aboutToShow(); // the menu's items as it opens
            w.menuItem("mnuGraphNewTable")->trigger();
            graph = GrafiekVenster.inGebruik(1);
            QVERIFY(graph);
            later();
        });
        // Should the scenario stop short, the program still ends.
        QTimer::singleShot(90000, &w, [&w] { w.mnuFileExit_Click(); });
        QVERIFY(w.MDIForm_Load({}));
        boxCloser.stop();
        QVERIFY(graph);

        QVERIFY(!openedInsideExchange);
        QCOMPARE(waits.size(), 5);
        QVERIFY(lostWithTheFolder > 0);
        QVERIFY2(framesDuringBox == 0, qPrintable(framesInBox.join(QStringLiteral("; "))));
        // Polling went on in every wait: cycles kept ending (one takes under 4 s
        // here).
        for (const auto &[from, to] : std::as_const(waits)) {
            int ended = 0;
            for (qint64 e : std::as_const(cycleEnds))
                ended += e > from && e <= to;
            QVERIFY2(ended >= (to - from) / 4000,
                     qPrintable(QStringLiteral("%1 cycles in %2 ms").arg(ended).arg(to - from)));
        }

        // Every record lies on the first tick at which the interval had passed
        // since the previous record's tick and a cycle had ended since; its stamp
        // is that tick's moment.
        const LogTicks &ticks = w.logTicks();
        QVERIFY(stamps.size() >= 15);
        qint64 tick = -MeetInterval;
        for (int n = 0; n < stamps.size(); ++n) {
            const qint64 since = ticks.tickMs(tick);
            qint64 firstEnd = -1;
            for (qint64 e : std::as_const(cycleEnds))
                if (e > since || (n == 0 && e <= ticks.originMs)) {
                    firstEnd = qMax(e, n == 0 ? ticks.originMs : e);
                    break;
                }
            QVERIFY(firstEnd >= 0);
            const qint64 expected =
                qMax(tick + MeetInterval, (firstEnd - ticks.originMs + 999) / 1000);
            const qint64 actual =
                n == 0 ? expected : tick + stamps[n - 1].msecsTo(stamps[n]) / 1000;
            if (n > 0)
                QCOMPARE(stamps[n - 1].msecsTo(stamps[n]) % 1000, qint64(0));
            // A tick that fired a few milliseconds early cannot count a cycle that
            // ended in them.
            const bool earlyTick = actual == expected + 1 && ticks.tickMs(expected) - firstEnd < 25;
            QVERIFY2(actual == expected || earlyTick,
                     qPrintable(QStringLiteral("record %1 at tick %2, due at %3")
                                    .arg(n)
                                    .arg(actual)
                                    .arg(expected)));
            tick = actual;
        }

        // The file made again after Retry holds each later record once, whole, and the stop
        // record last.
        QFile file(dataFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = Cp1252::decode(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 1 + (stamps.size() - lostWithTheFolder) + 1,
                 qPrintable(QStringLiteral("%1 records, %2 lost with the folder, the file:\n%3")
                                .arg(stamps.size())
                                .arg(lostWithTheFolder)
                                .arg(lines.join('\n'))));
        QSet<QString> times;
        for (int i = 1; i < lines.size(); ++i) {
            QCOMPARE(lines[i].count(','), lines[0].count(','));
            if (i < lines.size() - 1)
                times.insert(lines[i].section(',', 0, 0));
        }
        QCOMPARE(times.size(), stamps.size() - lostWithTheFolder);
    }

    // A line's source chosen in the graph settings dialog: records go on, on their ticks, for
    // as long as the line-source dialog stands.
    void recordsGoOnWhileALineSourceIsChosen()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T542", 12, 2);
        SerialPortTable::bind(9, sim.devicePath());
        QVERIFY(writeProgramSettings(settingsFile(), {{1, "T542", 12, 2}}, 2, true));
        closeMessageBoxesEvery(boxCloser, 5000);

        WiredProgram w;
        QList<qint64> records;
        const auto writeRecord = pollHooks().writeRecord;
        pollHooks().writeRecord = [&](const QString &info, int tnr) {
            if (info.isEmpty())
                records << Clock::current().monotonicMs();
            writeRecord(info, tnr);
        };
        qint64 openedMs = -1;
        qint64 closedMs = -1;
        atRest(&w, 1000, [&] {
            // A graph, then its settings dialog, and in it the first line's Input cell.
            QTimer::singleShot(200, &w, [&] {
                frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
                QVERIFY(d);
                QTimer::singleShot(8000, &w, [&] {
                    for (QWidget *t : QApplication::topLevelWidgets())
                        if (auto *s = qobject_cast<DialogInputGrafiekElement *>(t);
                            s && s->isVisible()) {
                            closedMs = Clock::current().monotonicMs();
                            s->CancelButton_Click();
                        }
                    QTimer::singleShot(100, &w, [] {
                        if (frmGrafiekInstellen *d = frmGrafiekInstellen::geopend())
                            d->CmdOK_Click();
                        QTimer::singleShot(3000, mdiQLV2::instance(),
                                           [] { mdiQLV2::instance()->mnuFileExit_Click(); });
                    });
                });
                openedMs = Clock::current().monotonicMs();
                d->findChild<CurveLijnenGrid *>()->Klik(1, CurveLijnenGrid::KolomBron);
            });
            emit w.menu("mnuGraph")->aboutToShow();
            w.menuItem("mnuGraphNewTable")->trigger();
        });
        QTimer::singleShot(60000, &w, [&w] { w.mnuFileExit_Click(); });
        QVERIFY(w.MDIForm_Load({}));
        boxCloser.stop();
        QVERIFY(openedMs > 0 && closedMs > openedMs);
        QList<qint64> during;
        for (qint64 r : std::as_const(records))
            if (r > openedMs && r < closedMs)
                during << r;
        // 8 s at one record every 2 s.
        QVERIFY2(during.size() >= 3, qPrintable(QStringLiteral("%1 records in %2 ms")
                                                    .arg(during.size())
                                                    .arg(closedMs - openedMs)));
        for (int i = 1; i < during.size(); ++i)
            QVERIFY(during[i] - during[i - 1] < 3000);
    }
};

QTEST_MAIN(TestLogThroughWaits)
#include "tst_logthroughwaits.moc"
